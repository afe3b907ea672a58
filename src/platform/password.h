#pragma once
// Password seam: the host's saver-password verifier and the cursor counter that the
// end-of-run rules drive around it.
#include <cstdint>
#include <optional>

namespace vtl {

class IPasswordHost {
public:
    virtual ~IPasswordHost() = default;
    // One increment (true) or decrement (false) of the cursor's display counter.
    virtual void ShowCursor(bool show) = 0;
    // Loads the host's verifier library, runs its dialog for `owner` and unloads it.
    // Empty when the library or its entry is missing.
    virtual std::optional<bool> VerifyScreenSavePwd(std::intptr_t owner) = 0;
};

}  // namespace vtl
