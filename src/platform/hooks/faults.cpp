#include "platform/hooks/faults.h"

#include <cstdlib>
#include <string>

namespace vtl {

bool FaultInjected(const char* name) {
    static const std::string faults = [] {
        const char* value = std::getenv("VTL_FAULTS");
        return value ? "," + std::string(value) + "," : std::string();
    }();
    return !faults.empty() && faults.find("," + std::string(name) + ",") != std::string::npos;
}

}  // namespace vtl
