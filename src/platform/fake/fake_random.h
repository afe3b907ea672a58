#pragma once
// A random source for tests: every draw returns the next scripted value (0 once the
// script is used up) and is written down, so a test can check the order of draws.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/random.h"

namespace vtl {

class ScriptedRandom : public IRandom {
public:
    std::deque<double> script;       // whole numbers for Random(n), reals for RandomReal()
    std::vector<std::string> draws;  // "Randomize", "Random(100)", "Random()"

    void Randomize() override { draws.push_back("Randomize"); }
    std::int32_t Random(std::int32_t n) override {
        draws.push_back("Random(" + std::to_string(n) + ")");
        return static_cast<std::int32_t>(Next());
    }
    double RandomReal() override {
        draws.push_back("Random()");
        return Next();
    }

private:
    double Next() {
        if (script.empty()) return 0;
        const double value = script.front();
        script.pop_front();
        return value;
    }
};

}  // namespace vtl
