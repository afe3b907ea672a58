// The previous generator's skull, for the contact sheet's before-and-after views.
#pragma once

#include "sdf.h"

namespace vtl::legacy {

sdf::GenMesh BuildLegacySkull();

}  // namespace vtl::legacy
