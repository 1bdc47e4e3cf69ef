// The library's trace file "dsdebugout.txt". It is opened when the library
// loads, in a fixed folder that a player's machine does not have, so every
// write is dropped unless a developer creates that folder to get the traces.
#pragma once

#include <ostream>

std::ostream& DiagnosticStream();
