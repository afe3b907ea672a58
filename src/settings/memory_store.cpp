#include "settings/memory_store.h"

#include <optional>

namespace vtl {

// A handle on one key's values; the store outlives every handle it gives out.
class MemorySettingsStore::Key : public IRegistryKey {
public:
    explicit Key(Values& values) : values_(values) {}
    ValueKind KindOf(const std::string& name) override {
        return values_.count(FoldedRegistryName(name)) ? ValueKind::Dword : ValueKind::Missing;
    }
    std::optional<std::uint32_t> ReadDword(const std::string& name) override {
        const auto found = values_.find(FoldedRegistryName(name));
        if (found == values_.end()) return std::nullopt;
        return found->second;
    }
    std::optional<std::string> ReadString(const std::string&) override { return std::nullopt; }
    bool WriteDword(const std::string& name, std::uint32_t value) override {
        values_[FoldedRegistryName(name)] = value;
        return true;
    }

private:
    Values& values_;
};

std::unique_ptr<IRegistryKey> MemorySettingsStore::OpenKey(RegistryRoot root, const std::string& path) {
    const auto found = keys_.find(FoldedRegistryKey(root, path));
    if (found == keys_.end()) return nullptr;
    return std::make_unique<Key>(found->second);
}

std::unique_ptr<IRegistryKey> MemorySettingsStore::CreateKey(RegistryRoot root, const std::string& path) {
    for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1))
        keys_[FoldedRegistryKey(root, path.substr(0, at))];
    return std::make_unique<Key>(keys_[FoldedRegistryKey(root, path)]);
}

}  // namespace vtl
