#pragma once
#include <cstdint>

// The still picture inside the host's preview window; returns when that is gone.
void RunPreview(std::int32_t hostWindow);
