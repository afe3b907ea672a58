// Small signal-processing kit for the synthesised sounds: biquad filters,
// envelopes and the mixing of events into loops.
#pragma once

#include <vector>

#include "detmath.h"
#include "formats/wavefile.h"
#include "prng.h"

namespace vtl::dsp {

constexpr int kSampleRate = 22050;
using Signal = std::vector<double>;

inline int Samples(double seconds) { return static_cast<int>(seconds * kSampleRate + 0.5); }

// Audio-cookbook biquad in transposed direct form II; coefficients may be
// changed while it runs (slowly moving formants and sweeps).
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double z1 = 0, z2 = 0;

    double Run(double x) {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
    void SetLowPass(double hz, double q);
    void SetHighPass(double hz, double q);
    void SetBandPass(double hz, double q);  // 0 dB at the centre
};

Biquad LowPass(double hz, double q = 0.7071);
Biquad HighPass(double hz, double q = 0.7071);
Biquad BandPass(double hz, double q);

// Runs the filter over a loop twice and keeps the second pass: the filter enters
// the loop with the state its own end leaves, so filtered noise has no seam.
void FilterLoop(Signal& loop, Biquad filter);
void Filter(Signal& signal, Biquad filter);

Signal WhiteNoise(Prng& rng, int length);

// Adds `event` into `target` from index `start` on; indices past the end wrap to
// the start, which keeps events that straddle a loop's end seamless.
void AddWrapped(Signal& target, const Signal& event, int start, double gain = 1.0);
void AddAt(Signal& target, const Signal& event, int start, double gain = 1.0);

// Raised-cosine fades at both ends, so a one-shot starts and stops at silence.
void FadeEnds(Signal& signal, double inSeconds, double outSeconds);

// Scales the signal so its largest magnitude is `peak` (of full scale).
void Normalise(Signal& signal, double peak);

// Attack-decay envelope value at time t (seconds) of an event starting at 0.
inline double Percussive(double t, double attack, double decay) {
    if (t < 0) return 0;
    if (t < attack) return t / attack;
    return det::Exp(-(t - attack) / decay);
}

// The signal as 16-bit mono PCM at kSampleRate, full scale at magnitude 1, rounded and
// clamped, for the product's wave writer.
PcmWave ToPcmWave(const Signal& signal);

}  // namespace vtl::dsp
