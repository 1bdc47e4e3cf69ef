// zarnok_rc <script.rc> <out.cpp> [<out.d>]
// Compiles a resource script into a C++ source that embeds the resources and
// registers them with the layer when the program starts. With a third
// argument it also writes a depfile naming every file the script read.
#include <cstdio>
#include <exception>
#include <string>

#include "rc_output.h"
#include "rc_script.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: zarnok_rc <script.rc> <out.cpp> [<out.d>]\n");
        return 2;
    }
    std::string error;
    try {
        rc::CompiledScript script;
        if (rc::CompileScript(argv[1], script, error) && rc::WriteSource(script, argv[1], argv[2], error) &&
            (argc == 3 || rc::WriteDepfile(script, argv[2], argv[3], error)))
            return 0;
    } catch (const std::exception& failure) {
        // The compiler reports its own faults; this only keeps a fault of the
        // library (memory, say) to the same one line and status.
        error = failure.what();
    }
    std::fprintf(stderr, "zarnok_rc: error: %s\n", error.c_str());
    return 1;
}
