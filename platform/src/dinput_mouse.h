// The system mouse device of DirectInput.
#pragma once

#include "dinput.h"

namespace layer::dinput {

// A new mouse device holding a reference on `parent`, its DirectInput object.
IDirectInputDevice7A* CreateMouse(IUnknown* parent);

}  // namespace layer::dinput
