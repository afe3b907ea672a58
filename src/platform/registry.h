#pragma once
// Registry seam: what the settings store and the host services need of a
// hierarchical key/value store. Win32 maps it onto the real registry; the in-memory
// FakeRegistry serves tests (and a file-backed store can serve other platforms).
#include <cctype>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vtl {

enum class RegistryRoot { CurrentUser, LocalMachine };

enum class ValueKind { Missing, Dword, String, Other };

class IRegistryKey {
public:
    virtual ~IRegistryKey() = default;
    virtual ValueKind KindOf(const std::string& name) = 0;
    // Empty when the value is missing, of another type or unreadable.
    virtual std::optional<std::uint32_t> ReadDword(const std::string& name) = 0;
    virtual std::optional<std::string> ReadString(const std::string& name) = 0;
    // False when the store refuses the write.
    virtual bool WriteDword(const std::string& name, std::uint32_t value) = 0;
};

// Key paths and value names are case-insensitive in the registry; a store that keeps
// them itself keys them by these folded forms.
inline std::string FoldedRegistryName(std::string name) {
    for (auto& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}
inline std::string FoldedRegistryKey(RegistryRoot root, const std::string& path) {
    return (root == RegistryRoot::CurrentUser ? "hkcu\\" : "hklm\\") + FoldedRegistryName(path);
}

class IRegistry {
public:
    virtual ~IRegistry() = default;
    // Opens an existing key for reading (null when missing or refused).
    virtual std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::string& path) = 0;
    // Opens a key for writing, creating it and any missing parents (null when refused).
    virtual std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::string& path) = 0;
};

}  // namespace vtl
