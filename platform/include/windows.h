// The umbrella header: the same #include <windows.h> line serves MinGW's real
// headers on Windows and this layer on every other host.
#pragma once

#include "windef.h"
#include "winerror.h"
#include "unknwn.h"
#include "libloaderapi.h"
#include "winbase.h"
#include "winuser.h"
#include "wingdi.h"
