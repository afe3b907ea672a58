#pragma once
// The text of the box that reports an error no run mode caught.
#include <cstdint>
#include <exception>
#include <string>

namespace vtl {

inline constexpr const char* kApplicationErrorCaption = "Application Error";

// "Exception <type> in module <module> at <address>.\n<message>" plus a full stop
// when the message does not already end with one. The address of the 32-bit program
// is exactly eight hexadecimal digits; a native 64-bit build that needs more keeps
// them all, since a cut address would point somewhere else.
std::string FormatApplicationError(const std::string& typeName, const std::string& moduleName, std::uintptr_t address,
                                   const std::string& message);

// Type name, raise address and message of any caught exception.
struct ErrorReport {
    std::string typeName;
    std::uintptr_t address = 0;
    std::string message;
};
ErrorReport DescribeException(const std::exception_ptr& error);

}  // namespace vtl
