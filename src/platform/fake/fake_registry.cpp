#include "platform/fake/fake_registry.h"

namespace vtl {

class FakeRegistryKey : public IRegistryKey {
public:
    FakeRegistryKey(FakeRegistry& owner, std::string id) : owner_(owner), id_(std::move(id)) {}

    ValueKind KindOf(const std::string& name) override {
        const auto* v = Find(name);
        if (!v) return ValueKind::Missing;
        if (std::holds_alternative<std::uint32_t>(*v)) return ValueKind::Dword;
        if (std::holds_alternative<std::string>(*v)) return ValueKind::String;
        return ValueKind::Other;
    }
    std::optional<std::uint32_t> ReadDword(const std::string& name) override {
        const auto* v = Find(name);
        if (v && std::holds_alternative<std::uint32_t>(*v)) return std::get<std::uint32_t>(*v);
        return std::nullopt;
    }
    std::optional<std::string> ReadString(const std::string& name) override {
        const auto* v = Find(name);
        if (v && std::holds_alternative<std::string>(*v)) return std::get<std::string>(*v);
        return std::nullopt;
    }
    bool WriteDword(const std::string& name, std::uint32_t value) override {
        if (owner_.denied_.count(id_)) return false;
        owner_.keys_[id_].values[FoldedRegistryName(name)] = value;
        ++owner_.writeCount;
        return true;
    }

private:
    const FakeRegistry::Value* Find(const std::string& name) const {
        auto key = owner_.keys_.find(id_);
        if (key == owner_.keys_.end()) return nullptr;
        auto value = key->second.values.find(FoldedRegistryName(name));
        return value == key->second.values.end() ? nullptr : &value->second;
    }
    FakeRegistry& owner_;
    std::string id_;
};

std::unique_ptr<IRegistryKey> FakeRegistry::OpenKey(RegistryRoot root, const std::string& path) {
    const auto id = FoldedRegistryKey(root, path);
    if (!keys_.count(id)) return nullptr;
    return std::make_unique<FakeRegistryKey>(*this, id);
}

std::unique_ptr<IRegistryKey> FakeRegistry::CreateKey(RegistryRoot root, const std::string& path) {
    const auto id = FoldedRegistryKey(root, path);
    // A read-only key does not open for writing, whether it exists yet or not.
    if (denied_.count(id)) return nullptr;
    for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1))
        keys_[FoldedRegistryKey(root, path.substr(0, at))];
    keys_[id];
    return std::make_unique<FakeRegistryKey>(*this, id);
}

void FakeRegistry::Set(RegistryRoot root, const std::string& path, const std::string& name, Value value) {
    keys_[FoldedRegistryKey(root, path)].values[FoldedRegistryName(name)] = std::move(value);
}

bool FakeRegistry::HasKey(RegistryRoot root, const std::string& path) const {
    return keys_.count(FoldedRegistryKey(root, path)) != 0;
}

const FakeRegistry::Value* FakeRegistry::Get(RegistryRoot root, const std::string& path,
                                             const std::string& name) const {
    auto key = keys_.find(FoldedRegistryKey(root, path));
    if (key == keys_.end()) return nullptr;
    auto value = key->second.values.find(FoldedRegistryName(name));
    return value == key->second.values.end() ? nullptr : &value->second;
}

}  // namespace vtl
