// Module handles: the running executable, and the few system libraries the
// layer stands in for. A known library "loads" when its entry points exist in
// the layer; anything else is not found, as on a machine without it.
#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <string>
#include <vector>

#include "libloaderapi.h"
#include "module_handles.h"
#include "seam_hooks.h"
#include "winbase.h"

namespace {

struct KnownModule {
    const char* name;  // lower case, with the extension
    std::vector<const char*> exports;
    int loadCount = 0;
    bool absent = false;  // the test seam's "not installed"
};

// The executable's module needs an address that is no other handle's.
struct ExecutableImage {
    int unused;
} executableImage;

std::mutex& Guard() {
    static std::mutex guard;
    return guard;
}

std::vector<KnownModule>& Known() {
    static std::vector<KnownModule> known = {
        {"ddraw.dll", {"DirectDrawCreateEx", "DirectDrawCreate"}},
        {"dsound.dll", {"DirectSoundCreate"}},
        {"dinput.dll", {"DirectInputCreateEx", "DirectInputCreateA"}},
    };
    return known;
}

std::string NormalisedName(const char* name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // Windows looks for the name as a file; a bare name means ".dll", and any
    // folder in front only says where to look.
    auto slash = lower.find_last_of("\\/");
    if (slash != std::string::npos) lower.erase(0, slash + 1);
    if (lower.find('.') == std::string::npos) lower += ".dll";
    return lower;
}

KnownModule* FindByName(const char* name) {
    const std::string wanted = NormalisedName(name);
    for (KnownModule& module : Known())
        if (wanted == module.name) return &module;
    return nullptr;
}

KnownModule* FindByHandle(HMODULE handle) {
    for (KnownModule& module : Known())
        if (reinterpret_cast<HMODULE>(&module) == handle) return &module;
    return nullptr;
}

}  // namespace

namespace layer {
HMODULE ExecutableModule() { return reinterpret_cast<HMODULE>(&executableImage); }
}  // namespace layer

namespace layer::testing {
void SetModuleAbsent(const char* moduleName, bool absent) {
    std::lock_guard<std::mutex> lock(Guard());
    if (KnownModule* module = FindByName(moduleName)) module->absent = absent;
}
}  // namespace layer::testing

extern "C" {

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    if (moduleName == nullptr) return layer::ExecutableModule();
    std::lock_guard<std::mutex> lock(Guard());
    KnownModule* module = FindByName(moduleName);
    if (module == nullptr || module->loadCount == 0) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(module);
}

HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
    if (fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(Guard());
    KnownModule* module = FindByName(fileName);
    if (module == nullptr || module->absent) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    ++module->loadCount;
    return reinterpret_cast<HMODULE>(module);
}

FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR procName) {
    if (procName == nullptr || IS_INTRESOURCE(procName)) {
        // Exports by ordinal: none of the known libraries is used that way.
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(Guard());
    KnownModule* module = FindByHandle(handle);
    if (module == nullptr || module->loadCount == 0) {
        SetLastError(handle == layer::ExecutableModule() ? ERROR_PROC_NOT_FOUND : ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const bool exported = std::any_of(module->exports.begin(), module->exports.end(),
                                      [&](const char* name) { return std::string(name) == procName; });
    // The entry points are functions of this layer, defined by the services
    // that implement them; one that is not built in yet is not there.
    void* address = exported ? dlsym(RTLD_DEFAULT, procName) : nullptr;
    if (address == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(address);
}

BOOL WINAPI FreeLibrary(HMODULE handle) {
    std::lock_guard<std::mutex> lock(Guard());
    KnownModule* module = FindByHandle(handle);
    if (module == nullptr || module->loadCount == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    --module->loadCount;
    return TRUE;
}

}  // extern "C"
