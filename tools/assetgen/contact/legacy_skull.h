// The previous generator's skull, for the contact sheet's before-and-after views.
#pragma once

#include "genmesh.h"

namespace vtl::legacy {

sdf::GenMesh BuildLegacySkull();

}  // namespace vtl::legacy
