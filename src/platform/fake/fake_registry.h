#pragma once
// In-memory registry with the real one's observable rules: key paths and value names
// are case-insensitive, creating a key creates its parents, and a key can be marked
// read-only the way a key whose access rules grant only reading is: it still opens for
// reading, but not for writing (CreateKey gives null).
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <variant>

#include "platform/registry.h"

namespace vtl {

class FakeRegistry : public IRegistry {
public:
    using Value = std::variant<std::uint32_t, std::string, std::monostate>;  // monostate: a binary or other value

    std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::string& path) override;
    std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::string& path) override;

    void Set(RegistryRoot root, const std::string& path, const std::string& name, Value value);
    bool HasKey(RegistryRoot root, const std::string& path) const;
    const Value* Get(RegistryRoot root, const std::string& path, const std::string& name) const;
    void DenyWrites(RegistryRoot root, const std::string& path) { denied_.insert(FoldedRegistryKey(root, path)); }

    int writeCount = 0;

private:
    struct Key {
        std::map<std::string, Value> values;
    };
    std::map<std::string, Key> keys_;
    std::set<std::string> denied_;
    friend class FakeRegistryKey;
};

}  // namespace vtl
