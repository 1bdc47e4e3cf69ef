#include "diagnostics.h"

#include <fstream>

namespace {

#ifdef _WIN32
constexpr const char* kDiagnosticPath = "C:\\vorlap-diagnostics\\dsdebugout.txt";
#else
constexpr const char* kDiagnosticPath = "/tmp/vorlap-diagnostics/dsdebugout.txt";
#endif

// Opened by the library's static initialisation; closed when it unloads.
std::ofstream diagnosticFile(kDiagnosticPath, std::ios::out | std::ios::trunc);

}  // namespace

std::ostream& DiagnosticStream() { return diagnosticFile; }
