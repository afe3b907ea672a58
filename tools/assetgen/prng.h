// The generator's random numbers: SplitMix64, fixed seeds, no library
// distributions, so every asset is the same on every machine. Draw at most once
// per call argument list or operator expression: the order in which a compiler
// evaluates those is unspecified (g++ and clang differ), and with it the bytes.
#pragma once

#include <cstdint>

namespace vtl {

class Prng {
public:
    explicit Prng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1), 53 bits.
    double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    // Uniform in [-1, 1): white noise.
    double Signed() { return 2.0 * Uniform() - 1.0; }
    // Uniform integer in [0, n).
    int Below(int n) { return static_cast<int>(Uniform() * n); }
    bool Chance(double p) { return Uniform() < p; }

private:
    std::uint64_t state_;
};

}  // namespace vtl
