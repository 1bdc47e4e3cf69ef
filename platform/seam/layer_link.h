// The seam's handle on the layer: the table of hooks the layer handed over
// when it was loaded.
#pragma once

#include "seam_hooks.h"

namespace seam {

// The layer's hooks; stops the process with a message when no layer has
// attached, since every seam call would otherwise do nothing.
const layer::testing::Hooks& Layer();

}  // namespace seam
