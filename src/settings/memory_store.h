#pragma once
// The settings store of a program that has no registry (the Linux hack): keys and
// values in memory for one run, under the registry's own rules, so the readers of the
// settings are the same code on both platforms. Key paths and value names are
// case-insensitive, creating a key creates its parents, and only DWORD values exist.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/registry.h"

namespace vtl {

class MemorySettingsStore : public IRegistry {
public:
    std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::string& path) override;
    std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::string& path) override;

private:
    class Key;
    using Values = std::map<std::string, std::uint32_t>;
    std::map<std::string, Values> keys_;
};

}  // namespace vtl
