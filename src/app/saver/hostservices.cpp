#include "app/saver/hostservices.h"

#include <cctype>
#include <cstdlib>

namespace vtl {

namespace {

// A decimal integer with optional sign and surrounding blanks; empty otherwise.
std::optional<long long> ParseDecimal(const std::string& text) {
    std::size_t at = 0, end = text.size();
    while (at < end && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    while (end > at && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    std::size_t digitsAt = at;
    if (digitsAt < end && (text[digitsAt] == '+' || text[digitsAt] == '-')) ++digitsAt;
    if (digitsAt == end || end - digitsAt > 18) return std::nullopt;
    for (std::size_t i = digitsAt; i < end; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    return std::strtoll(text.substr(at, end - at).c_str(), nullptr, 10);
}

bool TextFlag(const std::optional<std::string>& text) {
    if (!text) return true;
    const auto value = ParseDecimal(*text);
    return !value || *value != 0;
}

}  // namespace

bool SaverPasswordInForce(IRegistryKey& desktop) {
    switch (desktop.KindOf("ScreenSaveUsePassword")) {
        case ValueKind::Dword: return desktop.ReadDword("ScreenSaveUsePassword").value_or(1) != 0;
        case ValueKind::String: return TextFlag(desktop.ReadString("ScreenSaveUsePassword"));
        case ValueKind::Other: return true;
        case ValueKind::Missing: break;
    }
    switch (desktop.KindOf("ScreenSaverIsSecure")) {
        case ValueKind::Missing: return false;
        case ValueKind::String: return TextFlag(desktop.ReadString("ScreenSaverIsSecure"));
        case ValueKind::Dword: return desktop.ReadDword("ScreenSaverIsSecure").value_or(1) != 0;
        case ValueKind::Other: return true;
    }
    return true;
}

bool VerifySaverPassword(IRegistry& registry, IPasswordHost& host, std::intptr_t owner) {
    auto desktop = registry.OpenKey(RegistryRoot::CurrentUser, kDesktopKey);
    if (!desktop || !SaverPasswordInForce(*desktop)) return true;
    host.ShowCursor(true);
    const bool answer = host.VerifyScreenSavePwd(owner).value_or(true);
    host.ShowCursor(false);
    return answer;
}

std::string GetInstallFolder(IRegistry& registry, const std::string& programPath) {
    for (const auto root : {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser}) {
        if (auto key = registry.OpenKey(root, kUninstallKey)) {
            const auto path = key->ReadString(kAppPathValue);
            if (path && !path->empty()) return *path;
        }
    }
    return FolderOfProgram(programPath);
}

}  // namespace vtl
