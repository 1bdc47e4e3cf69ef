#pragma once
// Filled in by the service that owns it; see HACKING.md.
#include "windef.h"
