#pragma once
// Win32 registry behind the registry seam. Texts are converted between UTF-8 (the
// portable code's encoding) and the wide API.
#include "platform/registry.h"

namespace vtl::win32 {

class Win32Registry : public IRegistry {
public:
    std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::string& path) override;
    std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::string& path) override;
};

}  // namespace vtl::win32
