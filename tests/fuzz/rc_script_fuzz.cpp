// Arbitrary bytes as a resource script, compiled in a folder that holds a
// small bitmap, icon and wave it may name, and written out as a source when it
// compiles. The compiler must refuse what it cannot take with a message and
// never read outside its input.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "rc_output.h"
#include "rc_script.h"

namespace {

// Never destroyed, so that the clean-up at exit can still name it.
const std::string& Folder() {
    static const std::string* folder = [] {
        std::string pattern = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                              "/zarnok_rc_fuzz_XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        std::atexit([] { std::filesystem::remove_all(Folder()); });
        for (const char* name : {"tiny.bmp", "tiny.ico", "tiny.wav"})
            std::filesystem::copy_file(std::filesystem::path(FIXTURE_DIR) / name, std::filesystem::path(pattern) / name);
        return new std::string(pattern);
    }();
    return *folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& folder = Folder();
    const std::string text(reinterpret_cast<const char*>(data), size);
    rc::CompiledScript script;
    std::string error;
    if (rc::CompileScriptText(text, folder + "/fuzz.rc", script, error)) {
        if (!rc::WriteSource(script, folder + "/fuzz.rc", folder + "/out.cpp", error)) std::abort();
    } else if (error.empty() || error.find('\n') != std::string::npos) {
        std::abort();  // a refusal is one line that says something
    }
    return 0;
}
