#include "platform/random.h"

#include <chrono>
#include <random>

namespace vtl {
namespace {

class ClockRandom : public IRandom {
public:
    void Randomize() override {
        const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
        const auto mono = std::chrono::steady_clock::now().time_since_epoch().count();
        std::seed_seq seed{static_cast<std::uint32_t>(wall), static_cast<std::uint32_t>(wall >> 32),
                           static_cast<std::uint32_t>(mono)};
        engine_.seed(seed);
    }
    std::int32_t Random(std::int32_t n) override {
        if (n <= 0) return 0;
        // Scaling a 32-bit draw keeps every value reachable with a bias below 2^-31 * n.
        return static_cast<std::int32_t>((static_cast<std::uint64_t>(engine_()) * static_cast<std::uint32_t>(n)) >> 32);
    }
    double RandomReal() override { return static_cast<double>(engine_()) / 4294967296.0; }

private:
    std::mt19937 engine_;
};

}  // namespace

std::unique_ptr<IRandom> CreateClockRandom() { return std::make_unique<ClockRandom>(); }

}  // namespace vtl
