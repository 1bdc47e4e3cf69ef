// Test seam: makes a system module the layer knows (for example "ddraw.dll")
// absent, as on a machine without it, or present again. Tests only.
#pragma once

namespace seam {
void SetModuleAbsent(const char* moduleName, bool absent);
}
