#include "layer_log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>

namespace layer {

void LogLine(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::fputs("[winlayer] ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
}

HRESULT Unimplemented(const char* api, HRESULT result) {
    static std::mutex guard;
    static std::set<std::string> reported;
    std::lock_guard<std::mutex> lock(guard);
    if (reported.insert(api).second) LogLine("%s: not implemented (result 0x%08X)", api, static_cast<unsigned>(result));
    return result;
}

}  // namespace layer
