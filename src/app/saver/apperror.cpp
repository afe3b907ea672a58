#include "app/saver/apperror.h"

#include <cxxabi.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "platform/errors.h"

namespace vtl {

std::string FormatApplicationError(const std::string& typeName, const std::string& moduleName, std::uintptr_t address,
                                   const std::string& message) {
    char hex[32];
    std::snprintf(hex, sizeof hex, "%08" PRIXPTR, address);
    std::string text = "Exception " + typeName + " in module " + moduleName + " at " + hex + ".\n" + message;
    if (message.empty() || message.back() != '.') text += '.';
    return text;
}

namespace {

std::string Demangled(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    std::string text = status == 0 && name ? name.get() : type.name();
    if (text.rfind("std::", 0) == 0) text.erase(0, 5);
    return text;
}

}  // namespace

ErrorReport DescribeException(const std::exception_ptr& error) {
    ErrorReport report;
    try {
        std::rethrow_exception(error);
    } catch (const Error& e) {
        report = {e.TypeName(), reinterpret_cast<std::uintptr_t>(e.Address()), e.what()};
    } catch (const std::exception& e) {
        report = {Demangled(typeid(e)), 0, e.what()};
    } catch (...) {
        report = {"Exception", 0, "Unknown error"};
    }
    return report;
}

}  // namespace vtl
