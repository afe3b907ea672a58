#pragma once
// Errors that carry a fixed English message up to the top-level handler. The type
// name is what the "Application Error" box shows, so it is kept per class rather than
// taken from RTTI (whose mangled names differ between compilers).
#include <stdexcept>
#include <string>

namespace vtl {

class Error : public std::runtime_error {
public:
    Error(const char* typeName, const std::string& message)
        : std::runtime_error(message), typeName_(typeName), address_(__builtin_return_address(0)) {}
    const char* TypeName() const noexcept { return typeName_; }
    // Where the error was raised: the code address of the raising function's caller.
    const void* Address() const noexcept { return address_; }

private:
    const char* typeName_;
    const void* address_;
};

// Replaces the one "%s" of a fixed message with a value.
std::string FormatMessage1(const char* pattern, const std::string& value);

// File layer.
struct EFOpenError : Error {
    explicit EFOpenError(const std::string& m) : Error("EFOpenError", m) {}
};
struct EFCreateError : Error {
    explicit EFCreateError(const std::string& m) : Error("EFCreateError", m) {}
};
struct EReadError : Error {
    explicit EReadError(const std::string& m) : Error("EReadError", m) {}
};
struct EInOutError : Error {
    explicit EInOutError(const std::string& m) : Error("EInOutError", m) {}
};
// Registry writes.
struct ERegistryException : Error {
    explicit ERegistryException(const std::string& m) : Error("ERegistryException", m) {}
};
// Failures without a class of their own (the framework's general exception).
struct EGeneral : Error {
    explicit EGeneral(const std::string& m) : Error("Exception", m) {}
};
// The audio back end (loader, channels, sounds).
struct EDirectAudio : Error {
    explicit EDirectAudio(const std::string& m) : Error("EDirectAudio", m) {}
};

}  // namespace vtl
