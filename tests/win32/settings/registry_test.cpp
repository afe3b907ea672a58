// The real registry (Wine's, in the test prefix) held to the registry rules that the
// in-memory stores answer to as well (shared/registry_contract.h), on a private key of
// the current user that each test starts without and leaves behind it removed.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text.h"
#include "settings/settingsstore.h"
#include "shared/registry_contract.h"

namespace vtl {
namespace {

const wchar_t kBase[] = L"Software\\VantorelContractTest";

// Gives every user the access the descriptor names on an existing key of the current
// user; false when the key cannot be reached.
bool SetKeyAccess(const std::string& path, const wchar_t* sddl) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, win32::Widen(path).c_str(), 0, READ_CONTROL | WRITE_DAC, &key) !=
        ERROR_SUCCESS)
        return false;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    bool done = false;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
        done = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
        LocalFree(descriptor);
    }
    RegCloseKey(key);
    return done;
}

class Win32RegistryHarness {
public:
    static constexpr bool kHoldsOtherTypes = true;
    static constexpr bool kCanRefuse = true;

    Win32RegistryHarness() { Remove(); }
    ~Win32RegistryHarness() {
        // A key that only reads cannot be deleted: its owner opens it up again first.
        for (const std::string& path : refused_) SetKeyAccess(path, L"D:P(A;OICI;KA;;;WD)");
        Remove();
    }
    Win32RegistryHarness(const Win32RegistryHarness&) = delete;
    Win32RegistryHarness& operator=(const Win32RegistryHarness&) = delete;

    IRegistry& Store() { return registry_; }
    std::string Base() const { return win32::Narrow(kBase); }
    void PlantString(const std::string& path, const std::string& name, const std::string& text) {
        const std::wstring wide = win32::Widen(text);
        Plant(path, name, REG_SZ, wide.c_str(), DWORD((wide.size() + 1) * sizeof(wchar_t)));
    }
    void PlantBinary(const std::string& path, const std::string& name, const std::vector<std::uint8_t>& bytes) {
        Plant(path, name, REG_BINARY, bytes.data(), DWORD(bytes.size()));
    }
    // As regacl does it for the end-to-end tests: everyone may only read the key.
    void Refuse(const std::string& path) {
        ASSERT_TRUE(SetKeyAccess(path, L"D:P(A;OICI;KR;;;WD)")) << path;
        refused_.push_back(path);
    }
    std::optional<std::uint32_t> StoredDword(const std::string& path, const std::string& name) const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, win32::Widen(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return std::nullopt;
        DWORD type = 0, value = 0, size = sizeof value;
        const LONG rc =
            RegQueryValueExW(key, win32::Widen(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return std::nullopt;
        return value;
    }

private:
    static void Remove() { RegDeleteTreeW(HKEY_CURRENT_USER, kBase), RegDeleteKeyW(HKEY_CURRENT_USER, kBase); }
    void Plant(const std::string& path, const std::string& name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, win32::Widen(path).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key, win32::Widen(name).c_str(), 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    win32::Win32Registry registry_;
    std::vector<std::string> refused_;
};

TEST(RealRegistry, AKeyNameTheRegistryRefusesIsAFailedWrite) {
    Win32RegistryHarness harness;
    // The registry takes no key name longer than 255 characters.
    try {
        WriteSettingInt(harness.Store(), harness.Base() + "\\" + std::string(300, 'k'), "TimingFPS", 1);
        FAIL() << "write succeeded";
    } catch (const ERegistryException& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'TimingFPS'");
    }
}

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32Registry, RegistryContract, Win32RegistryHarness);
}  // namespace contract

}  // namespace vtl
