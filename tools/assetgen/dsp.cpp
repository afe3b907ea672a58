#include "dsp.h"

#include <cmath>
#include <cstdint>

namespace vtl::dsp {

namespace {

struct Trig {
    double cosine, alpha;
};

Trig Prepare(double hz, double q) {
    const double w0 = det::kTwoPi * hz / kSampleRate;
    return {det::Cos(w0), det::Sin(w0) / (2.0 * q)};
}

void Store(Biquad& f, double b0, double b1, double b2, double a0, double a1, double a2) {
    f.b0 = b0 / a0;
    f.b1 = b1 / a0;
    f.b2 = b2 / a0;
    f.a1 = a1 / a0;
    f.a2 = a2 / a0;
}

}  // namespace

void Biquad::SetLowPass(double hz, double q) {
    const Trig t = Prepare(hz, q);
    Store(*this, (1 - t.cosine) / 2, 1 - t.cosine, (1 - t.cosine) / 2, 1 + t.alpha, -2 * t.cosine, 1 - t.alpha);
}

void Biquad::SetHighPass(double hz, double q) {
    const Trig t = Prepare(hz, q);
    Store(*this, (1 + t.cosine) / 2, -(1 + t.cosine), (1 + t.cosine) / 2, 1 + t.alpha, -2 * t.cosine, 1 - t.alpha);
}

void Biquad::SetBandPass(double hz, double q) {
    const Trig t = Prepare(hz, q);
    Store(*this, t.alpha, 0, -t.alpha, 1 + t.alpha, -2 * t.cosine, 1 - t.alpha);
}

Biquad LowPass(double hz, double q) {
    Biquad f;
    f.SetLowPass(hz, q);
    return f;
}

Biquad HighPass(double hz, double q) {
    Biquad f;
    f.SetHighPass(hz, q);
    return f;
}

Biquad BandPass(double hz, double q) {
    Biquad f;
    f.SetBandPass(hz, q);
    return f;
}

void FilterLoop(Signal& loop, Biquad filter) {
    for (double x : loop) filter.Run(x);
    for (double& x : loop) x = filter.Run(x);
}

void Filter(Signal& signal, Biquad filter) {
    for (double& x : signal) x = filter.Run(x);
}

Signal WhiteNoise(Prng& rng, int length) {
    Signal s(static_cast<std::size_t>(length));
    for (double& x : s) x = rng.Signed();
    return s;
}

void AddWrapped(Signal& target, const Signal& event, int start, double gain) {
    const std::size_t n = target.size();
    if (n == 0) return;
    std::size_t at =
        static_cast<std::size_t>(((start % static_cast<long>(n)) + static_cast<long>(n)) % static_cast<long>(n));
    for (double x : event) {
        target[at] += gain * x;
        if (++at == n) at = 0;
    }
}

void AddAt(Signal& target, const Signal& event, int start, double gain) {
    for (std::size_t i = 0; i < event.size(); ++i) {
        const long at = start + static_cast<long>(i);
        if (at >= 0 && at < static_cast<long>(target.size())) target[static_cast<std::size_t>(at)] += gain * event[i];
    }
}

void FadeEnds(Signal& signal, double inSeconds, double outSeconds) {
    const int n = static_cast<int>(signal.size());
    const int in = Samples(inSeconds), out = Samples(outSeconds);
    for (int i = 0; i < in && i < n; ++i)
        signal[static_cast<std::size_t>(i)] *= 0.5 - 0.5 * det::Cos(det::kPi * i / in);
    for (int i = 0; i < out && i < n; ++i)
        signal[static_cast<std::size_t>(n - 1 - i)] *= 0.5 - 0.5 * det::Cos(det::kPi * i / out);
}

void Normalise(Signal& signal, double peak) {
    double largest = 0;
    for (double x : signal) largest = std::fmax(largest, std::fabs(x));
    if (largest <= 0) return;
    const double k = peak / largest;
    for (double& x : signal) x *= k;
}

PcmWave ToPcmWave(const Signal& signal) {
    PcmWave wave;
    wave.channels = 1;  // the saver positions its sounds in 3D
    wave.sampleRate = kSampleRate;
    wave.bitsPerSample = 16;
    wave.data.reserve(signal.size() * 2);
    for (double x : signal) {
        const double scaled = std::floor(det::Clamp(x, -1.0, 1.0) * 32767.0 + 0.5);
        const auto sample = static_cast<std::uint16_t>(static_cast<std::int16_t>(scaled));
        wave.data.push_back(static_cast<std::uint8_t>(sample));
        wave.data.push_back(static_cast<std::uint8_t>(sample >> 8));
    }
    return wave;
}

}  // namespace vtl::dsp
