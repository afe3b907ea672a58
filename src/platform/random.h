#pragma once
// Pseudo-random numbers for decisions that only need to look random (which sample,
// when). Tests script the draws.
#include <cstdint>
#include <memory>

namespace vtl {

class IRandom {
public:
    virtual ~IRandom() = default;
    // Seeds the generator from the clock.
    virtual void Randomize() = 0;
    // A uniform whole number in 0..n-1 (0 when n is not positive).
    virtual std::int32_t Random(std::int32_t n) = 0;
    // A uniform real in [0, 1).
    virtual double RandomReal() = 0;
};

// The generator of the real program: 32-bit Mersenne twister seeded from the clocks.
std::unique_ptr<IRandom> CreateClockRandom();

}  // namespace vtl
