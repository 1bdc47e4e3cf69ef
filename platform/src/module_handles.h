// The module handles the layer hands out. The running executable is one fixed
// module: its resources are the ones registered by the executable at start-up.
#pragma once

#include "windef.h"

namespace layer {
HMODULE ExecutableModule();
}
