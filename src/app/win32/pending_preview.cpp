#include "app/win32/preview.h"

void RunPreview(std::int32_t) {}
