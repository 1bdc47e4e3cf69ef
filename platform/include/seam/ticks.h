// Test seam: moves GetTickCount so that it reads `base` now and counts on from
// there, so a test can cross the 32-bit wrap. Tests only.
#pragma once

#include "../windef.h"

namespace seam {
void SetTickBase(DWORD base);
}
