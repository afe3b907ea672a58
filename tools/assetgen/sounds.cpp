#include "sounds.h"

#include <cmath>

#include "formats/wavefile.h"
#include "outfile.h"
#include "pack/assetnames.h"

namespace vtl {

using det::Cos;
using det::Exp;
using det::kTwoPi;
using det::Sin;
using dsp::AddAt;
using dsp::AddWrapped;
using dsp::Biquad;
using dsp::kSampleRate;
using dsp::Percussive;
using dsp::Samples;
using dsp::Signal;

namespace {

constexpr double kDt = 1.0 / kSampleRate;

// A burst of filtered noise under a percussive envelope.
Signal NoiseBurst(Prng& rng, double seconds, Biquad filter, double attack, double decay) {
    Signal s(static_cast<std::size_t>(Samples(seconds)));
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = filter.Run(rng.Signed()) * Percussive(i * kDt, attack, decay);
    return s;
}

// A decaying sine: thumps and the modes of struck objects.
Signal Ring(double seconds, double hz, double decay, double phase = 0.0) {
    Signal s(static_cast<std::size_t>(Samples(seconds)));
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = i * kDt;
        s[i] = Sin(kTwoPi * hz * t + phase) * Percussive(t, 0.0008, decay);
    }
    return s;
}

// sin(2 pi cycles i / n): a component with a whole number of periods in a loop of
// n samples, exact at the seam.
double LoopSine(double cycles, std::size_t i, std::size_t n, double phase = 0.0) {
    return Sin(kTwoPi * cycles * static_cast<double>(i) / static_cast<double>(n) + phase);
}

// Soft clipping that keeps a sine's fundamental and adds odd harmonics.
double SoftClip(double x) { return x / std::sqrt(1.0 + x * x); }

// ---- loops ------------------------------------------------------------------

// A distant car drifting by, for the city bed: tyre roar and engine drone that
// swell and fade.
Signal DistantCar(Prng& rng) {
    const double seconds = rng.Uniform(2.5, 4.5);
    Signal s(static_cast<std::size_t>(Samples(seconds)));
    Biquad tyres = dsp::BandPass(rng.Uniform(250, 650), 0.8);
    Biquad muffle = dsp::LowPass(900);
    const double f0 = rng.Uniform(28, 45);
    double phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double u = static_cast<double>(i) / s.size();
        const double swell = Sin(det::kPi * u);
        phase += f0 * (1.03 - 0.06 * u) * kDt;
        double engine = 0;
        for (int k = 1; k <= 6; ++k) engine += Sin(kTwoPi * k * phase) / k;
        s[i] = muffle.Run(tyres.Run(rng.Signed()) * 1.4 + 0.25 * engine) * swell * swell;
    }
    return s;
}

Signal Background(Prng& rng) {
    const std::size_t n = static_cast<std::size_t>(Samples(8.0));
    // Low rumble: heavily low-passed noise.
    Signal rumble = dsp::WhiteNoise(rng, static_cast<int>(n));
    dsp::FilterLoop(rumble, dsp::LowPass(70, 0.6));
    dsp::FilterLoop(rumble, dsp::LowPass(140));
    // Traffic wash, breathing slowly with whole cycles per loop.
    Signal wash = dsp::WhiteNoise(rng, static_cast<int>(n));
    dsp::FilterLoop(wash, dsp::BandPass(420, 0.6));
    dsp::FilterLoop(wash, dsp::LowPass(1300));
    Signal loop(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double breath = 0.7 + 0.2 * LoopSine(1, i, n, 0.4) + 0.1 * LoopSine(3, i, n, 2.1);
        loop[i] = 5.0 * rumble[i] + 0.9 * wash[i] * breath;
    }
    // Only smooth swells: anything distinct, a horn say, would mark the loop's
    // repeats every eight seconds.
    for (int car = 0; car < 7; ++car) {
        // One draw per statement: argument order is up to the compiler, and the
        // bytes must not be.
        const Signal swell = DistantCar(rng);
        const int start = rng.Below(static_cast<int>(n));
        AddWrapped(loop, swell, start, rng.Uniform(0.25, 0.5));
    }
    dsp::Normalise(loop, 0.6);
    return loop;
}

Signal Helicopter(Prng& rng) {
    // 4 s; the blade slap repeats every 1225 samples (18 Hz), the tail rotor every
    // 245 (90 Hz) and the turbine tones have whole cycles in the loop.
    const std::size_t n = static_cast<std::size_t>(Samples(4.0));
    constexpr int kSlapPeriod = 1225;
    const int slaps = static_cast<int>(n) / kSlapPeriod;
    Signal wash = dsp::WhiteNoise(rng, static_cast<int>(n));
    dsp::FilterLoop(wash, dsp::LowPass(480));
    Signal loop(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double chop = 0.55 + 0.45 * (0.5 + 0.5 * LoopSine(slaps, i, n));
        double tail = 0;
        for (int k = 1; k <= 8; ++k) tail += LoopSine(360.0 * k, i, n, 0.3 * k) / (k * k);
        const double whine =
            0.05 * LoopSine(8800, i, n) + 0.025 * LoopSine(13200, i, n, 1.0) + 0.03 * LoopSine(2960, i, n, 2.0);
        loop[i] = 1.2 * wash[i] * chop + 0.08 * tail + whine * (1.0 + 0.15 * LoopSine(2, i, n));
    }
    for (int k = 0; k < slaps; ++k) {
        const double gain = (k % 2 == 0 ? 1.0 : 0.72) * rng.Uniform(0.92, 1.08);
        Signal slap = NoiseBurst(rng, 0.035, dsp::BandPass(900, 0.8), 0.001, 0.006);
        AddAt(slap, Ring(0.06, 75, 0.02), 0, 0.35);
        AddWrapped(loop, slap, k * kSlapPeriod + rng.Below(21) - 10, 2.0 * gain);
    }
    dsp::Normalise(loop, 0.8);
    return loop;
}

// ---- street one-shots -----------------------------------------------------------

Signal PassingCar(Prng& rng) {
    const double seconds = 4.0, pass = 2.0, speed = 12.0, distance = 4.0, sound = 343.0;
    Signal s(static_cast<std::size_t>(Samples(seconds)));
    Biquad tyres = dsp::BandPass(800, 0.5);
    Biquad body = dsp::LowPass(1500);
    double phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = i * kDt;
        const double x = speed * (t - pass);
        const double r = std::sqrt(x * x + distance * distance);
        const double doppler = sound / (sound + speed * x / r);
        const double rpm = 1.0 + 0.06 * det::SmoothStep(0, seconds, t);
        phase += 36.0 * rpm * doppler * kDt;
        double engine = 0;
        for (int k = 1; k <= 14; ++k) engine += Sin(kTwoPi * k * phase + 0.7 * k) / det::Pow(k, 0.8);
        const double near = distance / r;
        // Amplitude falls off as 1/r, so the approach and the fade stay audible.
        s[i] = body.Run((0.2 * engine + 3.0 * tyres.Run(rng.Signed())) * near);
    }
    dsp::FadeEnds(s, 0.1, 0.1);
    dsp::Normalise(s, 0.8);
    return s;
}

Signal Horn(Prng& /*unused: a horn has no noise*/) {
    // A short honk followed by a gap: played three times in a row it honks three times.
    Signal s(static_cast<std::size_t>(Samples(0.7)));
    Biquad shape = dsp::BandPass(1000, 0.7);
    Biquad soften = dsp::LowPass(3200);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = i * kDt;
        const double env = t < 0.42 ? det::SmoothStep(0, 0.015, t) : Exp(-(t - 0.42) / 0.012);
        const double droop = 1.0 - 0.02 * Exp(-t / 0.03);
        const double tone = SoftClip(3 * Sin(kTwoPi * 415 * droop * t)) + SoftClip(3 * Sin(kTwoPi * 520 * droop * t));
        s[i] = soften.Run(shape.Run(tone * env) + 0.15 * tone * env);
    }
    Signal echoed = s;
    AddAt(echoed, s, Samples(0.09), 0.25);
    dsp::FadeEnds(echoed, 0.002, 0.03);
    dsp::Normalise(echoed, 0.7);
    return echoed;
}

Signal Siren(Prng& rng) {
    const double seconds = 5.0;
    Signal s(static_cast<std::size_t>(Samples(seconds)));
    Biquad distance = dsp::LowPass(1800);
    double phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = i * kDt;
        const double hz = 650 + 550 * (0.5 - 0.5 * Cos(kTwoPi * t / 2.5));
        phase += hz * kDt;
        double tone = 0;
        for (int k = 1; k <= 5; k += 2) tone += Sin(kTwoPi * k * phase) / (k * k);
        const double env = det::SmoothStep(0, 1.5, t) * det::SmoothStep(seconds, seconds - 1.5, t);
        s[i] = distance.Run(tone * env * (1.0 + 0.1 * Sin(kTwoPi * 5.3 * t)));
    }
    // Reflections off the buildings.
    Signal echoed = s;
    AddAt(echoed, s, Samples(0.12), 0.35);
    AddAt(echoed, s, Samples(0.26), 0.2);
    AddAt(echoed, s, Samples(0.41), 0.12);
    Signal air = dsp::WhiteNoise(rng, static_cast<int>(echoed.size()));
    dsp::Filter(air, dsp::LowPass(300));
    for (std::size_t i = 0; i < echoed.size(); ++i) echoed[i] += 0.02 * air[i];
    dsp::FadeEnds(echoed, 0.05, 0.05);
    dsp::Normalise(echoed, 0.6);
    return echoed;
}

struct Vowel {
    double f1, f2;
};

// One murmuring voice: a buzzing source through two moving formants, in
// syllables with pauses.
Signal Voice(Prng& rng, double seconds) {
    static const Vowel kVowels[] = {{730, 1090}, {530, 1840}, {270, 2290}, {570, 840}, {300, 870}, {660, 1700}};
    Signal s(static_cast<std::size_t>(Samples(seconds)));
    const double pitch = rng.Uniform(95, 230);
    Biquad formant1, formant2;
    double f1 = 500, f2 = 1500, phase = 0;
    std::size_t i = 0;
    while (i < s.size()) {
        const int length = Samples(rng.Uniform(0.11, 0.3));
        const bool pause = rng.Chance(0.25);
        const Vowel v = kVowels[rng.Below(6)];
        const double stress = rng.Uniform(0.6, 1.0);
        const double glide = rng.Uniform(-0.15, 0.15);
        for (int k = 0; k < length && i < s.size(); ++k, ++i) {
            const double u = static_cast<double>(k) / length;
            if (k % 16 == 0) {
                f1 += (v.f1 - f1) * 0.25;
                f2 += (v.f2 - f2) * 0.25;
                formant1.SetBandPass(f1, f1 / 90.0);
                formant2.SetBandPass(f2, f2 / 120.0);
            }
            phase += pitch * (1.0 + glide * u) * kDt;
            phase -= std::floor(phase);
            const double source = (2.0 * phase - 1.0) + 0.3 * rng.Signed();
            const double env = pause ? 0.0 : stress * Sin(det::kPi * u);
            s[i] = (formant1.Run(source) + 0.6 * formant2.Run(source)) * env;
        }
    }
    return s;
}

Signal Crowd(Prng& rng) {
    const double seconds = 4.0;
    Signal s(static_cast<std::size_t>(Samples(seconds)));
    for (int v = 0; v < 10; ++v) {
        const Signal voice = Voice(rng, seconds);
        AddAt(s, voice, 0, rng.Uniform(0.4, 1.0));
    }
    dsp::Filter(s, dsp::LowPass(2400));
    Signal room = dsp::WhiteNoise(rng, static_cast<int>(s.size()));
    dsp::Filter(room, dsp::BandPass(500, 0.5));
    for (std::size_t i = 0; i < s.size(); ++i) s[i] += 0.05 * room[i];
    dsp::FadeEnds(s, 0.4, 0.5);
    dsp::Normalise(s, 0.6);
    return s;
}

// ---- near one-shots -------------------------------------------------------------

Signal Footsteps(Prng& rng) {
    Signal s(static_cast<std::size_t>(Samples(2.4)));
    const double steps[] = {0.15, 0.70, 1.24, 1.80};
    for (int k = 0; k < 4; ++k) {
        const int at = Samples(steps[k] + rng.Uniform(-0.03, 0.03));
        const double foot = (k % 2 == 0) ? 1.0 : 0.85;
        Signal heel = NoiseBurst(rng, 0.12, dsp::LowPass(1800), 0.0008, 0.012);
        AddAt(heel, Ring(0.15, 85, 0.025), 0, 0.2);
        AddAt(s, heel, at, foot);
        AddAt(s, NoiseBurst(rng, 0.06, dsp::BandPass(2500, 0.9), 0.002, 0.008), at + Samples(0.07), 0.6 * foot);
    }
    dsp::FadeEnds(s, 0.002, 0.05);
    dsp::Normalise(s, 0.7);
    return s;
}

// Adds the ringing modes of a thin metal can, struck at `at` with `strength`.
void StrikeCan(Prng& rng, Signal& s, int at, double strength) {
    static const double kRatio[] = {1.0, 1.52, 2.33, 2.95, 4.12, 5.6};
    static const double kDecay[] = {0.25, 0.18, 0.12, 0.10, 0.07, 0.05};
    static const double kLevel[] = {1.0, 0.7, 0.5, 0.45, 0.3, 0.2};
    for (int m = 0; m < 6; ++m) {
        AddAt(s, Ring(4 * kDecay[m], 1180 * kRatio[m], kDecay[m], rng.Uniform(0, kTwoPi)), at,
              strength * kLevel[m] * 0.3);
    }
    AddAt(s, NoiseBurst(rng, 0.02, dsp::HighPass(1000), 0.0005, 0.003), at, strength * 0.8);
}

Signal KickedCan(Prng& rng) {
    Signal s(static_cast<std::size_t>(Samples(1.8)));
    const int kick = Samples(0.05);
    AddAt(s, Ring(0.1, 120, 0.015), kick, 0.8);  // the shoe
    StrikeCan(rng, s, kick, 1.0);
    const double bounces[] = {0.42, 0.68, 0.86, 0.98, 1.06};
    double strength = 0.6;
    for (double b : bounces) {
        StrikeCan(rng, s, Samples(b), strength);
        strength *= 0.68;
    }
    for (double t = 1.1; t < 1.6; t += rng.Uniform(0.015, 0.05)) StrikeCan(rng, s, Samples(t), rng.Uniform(0.02, 0.06));
    dsp::FadeEnds(s, 0.002, 0.1);
    dsp::Normalise(s, 0.6);
    return s;
}

Signal Door(Prng& rng) {
    Signal s(static_cast<std::size_t>(Samples(2.0)));
    // The hinge creaks: stick-slip pulses ringing the door's panels.
    Signal pulses(s.size());
    for (double t = 0.05; t < 0.85;) {
        const double u = (t - 0.05) / 0.8;
        pulses[static_cast<std::size_t>(Samples(t))] = Sin(det::kPi * u) * rng.Uniform(0.6, 1.0);
        t += 1.0 / (70 + 60 * Sin(det::kPi * u)) * rng.Uniform(0.9, 1.1);
    }
    Biquad panel1 = dsp::BandPass(420, 12), panel2 = dsp::BandPass(980, 12), panel3 = dsp::BandPass(1650, 12);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double p = pulses[i];
        s[i] = panel1.Run(p) + 0.8 * panel2.Run(p) + 0.5 * panel3.Run(p);
    }
    // Narrow resonators pass little of an impulse: set the creak's level directly,
    // below the slam's.
    dsp::Normalise(s, 0.3);
    // The slam and the latch.
    const int slam = Samples(1.0);
    AddAt(s, Ring(0.5, 65, 0.08), slam, 1.0);
    AddAt(s, Ring(0.4, 110, 0.06, 1.0), slam, 0.6);
    AddAt(s, NoiseBurst(rng, 0.2, dsp::LowPass(800), 0.001, 0.03), slam, 1.2);
    const double modes[] = {190, 285, 440};
    for (double hz : modes) AddAt(s, Ring(0.6, hz, 0.12, rng.Uniform(0, kTwoPi)), slam, 0.25);
    const int latch = slam + Samples(0.015);
    AddAt(s, NoiseBurst(rng, 0.02, dsp::HighPass(3000), 0.0003, 0.003), latch, 0.6);
    AddAt(s, Ring(0.06, 2600, 0.01), latch, 0.25);
    dsp::FadeEnds(s, 0.002, 0.1);
    dsp::Normalise(s, 0.8);
    return s;
}

}  // namespace

std::vector<SoundAsset> MakeSounds() {
    // Each sound has its own seed, so retuning one leaves the others' bytes alone.
    std::vector<SoundAsset> sounds;
    auto add = [&sounds](const char* name, bool loops, std::uint64_t seed, Signal (*make)(Prng&)) {
        Prng rng(seed);
        sounds.push_back({name, loops, make(rng)});
    };
    add(kBackgroundLoopFile, true, 0xB6C0001, Background);
    add(kHelicopterLoopFile, true, 0xB6C0002, Helicopter);
    add(kStreet1File, false, 0xB6C0011, PassingCar);
    add(kStreet2File, false, 0xB6C0012, Horn);
    add(kStreet3File, false, 0xB6C0013, Siren);
    add(kStreet4File, false, 0xB6C0014, Crowd);
    add(kNear1File, false, 0xB6C0021, Footsteps);
    add(kNear2File, false, 0xB6C0022, KickedCan);
    add(kNear3File, false, 0xB6C0023, Door);
    return sounds;
}

void WriteSoundAssets(const std::string& outDir) {
    for (const SoundAsset& sound : MakeSounds())
        WriteFileBytes(OutPath(outDir, sound.fileName.c_str()), BuildPcmWave(dsp::ToPcmWave(sound.signal)));
}

}  // namespace vtl
