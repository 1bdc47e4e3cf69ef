// Writing compiled resources as a C++ source for the layer, and the depfile
// that makes the build run the compiler again when a named file changes.
#pragma once

#include <string>

#include "rc_script.h"

namespace rc {

bool WriteSource(const CompiledScript& script, const std::string& scriptPath, const std::string& outPath,
                 std::string& error);
bool WriteDepfile(const CompiledScript& script, const std::string& outPath, const std::string& depfilePath,
                  std::string& error);

}  // namespace rc
