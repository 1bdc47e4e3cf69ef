// One place where the layer reports what it refuses or does not implement, so
// that a missing API path is loud (an error result and one log line) and never
// a silent success.
#pragma once

#include "windef.h"

namespace layer {

// printf-style line on stderr, prefixed with the layer's tag.
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Logs "<api>: not implemented" once per api name and hands back `result`, so
// an unimplemented method reads `return layer::Unimplemented("IFoo::Bar", E_NOTIMPL);`.
HRESULT Unimplemented(const char* api, HRESULT result);

}  // namespace layer
