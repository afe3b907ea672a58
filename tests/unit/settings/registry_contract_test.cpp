// The registry rules (shared/registry_contract.h) held against the two stores that live
// in memory: the tests' FakeRegistry and the hack's MemorySettingsStore. The real
// registry answers to the same suite in the Windows platform tests.
#include "shared/registry_contract.h"

#include "platform/fake/fake_registry.h"
#include "settings/memory_store.h"

namespace vtl {
namespace {

constexpr const char* kBase = "Software\\VantorelContract";

class FakeStoreHarness {
public:
    static constexpr bool kHoldsOtherTypes = true;
    static constexpr bool kCanRefuse = true;

    IRegistry& Store() { return registry_; }
    std::string Base() const { return kBase; }
    void PlantString(const std::string& path, const std::string& name, const std::string& text) {
        registry_.Set(RegistryRoot::CurrentUser, path, name, text);
    }
    void PlantBinary(const std::string& path, const std::string& name, const std::vector<std::uint8_t>&) {
        registry_.Set(RegistryRoot::CurrentUser, path, name, FakeRegistry::Value{std::monostate{}});
    }
    void Refuse(const std::string& path) { registry_.DenyWrites(RegistryRoot::CurrentUser, path); }
    std::optional<std::uint32_t> StoredDword(const std::string& path, const std::string& name) const {
        const FakeRegistry::Value* value = registry_.Get(RegistryRoot::CurrentUser, path, name);
        if (!value || !std::holds_alternative<std::uint32_t>(*value)) return std::nullopt;
        return std::get<std::uint32_t>(*value);
    }

private:
    FakeRegistry registry_;
};

class MemoryStoreHarness {
public:
    static constexpr bool kHoldsOtherTypes = false;
    static constexpr const char* kWhyNoOtherTypes = "the hack's store holds DWORD values only";
    static constexpr bool kCanRefuse = false;
    static constexpr const char* kWhyNoRefusal = "the hack's store has no access rules: every write succeeds";

    IRegistry& Store() { return store_; }
    std::string Base() const { return kBase; }
    std::optional<std::uint32_t> StoredDword(const std::string& path, const std::string& name) {
        auto key = store_.OpenKey(RegistryRoot::CurrentUser, path);
        return key ? key->ReadDword(name) : std::nullopt;
    }

private:
    MemorySettingsStore store_;
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(FakeRegistry, RegistryContract, FakeStoreHarness);
INSTANTIATE_TYPED_TEST_SUITE_P(MemorySettingsStore, RegistryContract, MemoryStoreHarness);
}  // namespace contract

}  // namespace vtl
