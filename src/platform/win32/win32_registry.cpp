#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <vector>

#include "platform/hooks/faults.h"
#include "platform/win32/win32_text.h"

namespace vtl::win32 {

namespace {

HKEY RootHandle(RegistryRoot root) {
    return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

class Win32RegistryKey : public IRegistryKey {
public:
    explicit Win32RegistryKey(HKEY key) : key_(key) {}
    ~Win32RegistryKey() override { RegCloseKey(key_); }
    Win32RegistryKey(const Win32RegistryKey&) = delete;
    Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

    ValueKind KindOf(const std::string& name) override {
        DWORD type = 0;
        if (RegQueryValueExW(key_, Widen(name).c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
            return ValueKind::Missing;
        if (type == REG_DWORD) return ValueKind::Dword;
        if (type == REG_SZ || type == REG_EXPAND_SZ) return ValueKind::String;
        return ValueKind::Other;
    }

    std::optional<std::uint32_t> ReadDword(const std::string& name) override {
        DWORD type = 0, value = 0, size = sizeof value;
        if (RegQueryValueExW(key_, Widen(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof value)
            return std::nullopt;
        return value;
    }

    std::optional<std::string> ReadString(const std::string& name) override {
        const auto wideName = Widen(name);
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::nullopt;
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        if (RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got) !=
            ERROR_SUCCESS)
            return std::nullopt;
        buffer.back() = L'\0';  // stored strings need not be terminated
        return Narrow(buffer.data());
    }

    bool WriteDword(const std::string& name, std::uint32_t value) override {
        const DWORD data = value;
        if (FaultInjected("registry-write")) return false;
        return RegSetValueExW(key_, Widen(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                              sizeof data) == ERROR_SUCCESS;
    }

private:
    HKEY key_;
};

}  // namespace

std::unique_ptr<IRegistryKey> Win32Registry::OpenKey(RegistryRoot root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(RootHandle(root), Widen(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32RegistryKey>(key);
}

std::unique_ptr<IRegistryKey> Win32Registry::CreateKey(RegistryRoot root, const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(RootHandle(root), Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<Win32RegistryKey>(key);
}

}  // namespace vtl::win32
