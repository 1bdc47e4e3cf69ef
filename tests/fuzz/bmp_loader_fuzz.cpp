// Arbitrary bytes as a bitmap, both ways a program can hand the layer one: as
// a .bmp file through LoadImageA(LR_LOADFROMFILE), copied and stretched onto
// a surface, and without their 14-byte file header as a bitmap resource of
// the executable through the framework's LoadBitmapToSurface. Nothing may
// read outside the bytes or allocate beyond what they justify.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <windows.h>
#include <ddraw.h>

#include "surface_helpers.h"
#include "winlayer_resources.h"

namespace {

constexpr int kResourceId = 78;
constexpr std::size_t kFileHeader = 14;

IDirectDraw7* DirectDraw() {
    static IDirectDraw7* dd = [] {
        IDirectDraw7* made = nullptr;
        if (DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&made), IID_IDirectDraw7, nullptr) != DD_OK) std::abort();
        if (made->SetCooperativeLevel(nullptr, DDSCL_NORMAL) != DD_OK) std::abort();
        return made;
    }();
    return dd;
}

// The file lives in memory: the layer opens it by name like any other.
const std::string& FileHoldingInput(const std::uint8_t* data, std::size_t size) {
    static const int fd = memfd_create("fuzz.bmp", 0);
    static const std::string name = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0) std::abort();
    if (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    IDirectDraw7* dd = DirectDraw();

    const std::string& file = FileHoldingInput(data, size);
    if (HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageA(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION))) {
        static IDirectDrawSurface7* canvas = MakeOffscreenSurface(dd, 37, 23);
        if (canvas != nullptr) CopyBitmapToSurface(canvas, bitmap, nullptr, nullptr);
        DeleteObject(bitmap);
    }

    // The resource keeps its own copy exactly as long as the input, so any
    // read past the end is caught.
    static std::vector<unsigned char> resource;
    const std::size_t skip = size >= kFileHeader ? kFileHeader : 0;
    resource.assign(data + skip, data + size);
    resource.shrink_to_fit();
    static layer::ResourceEntry entry;
    entry = {nullptr, 2, nullptr, kResourceId, resource.data(), resource.size()};
    layer::RegisterResources(&entry, 1);
    IDirectDrawSurface7* surface = nullptr;
    if (LoadBitmapToSurface(dd, &surface, kResourceId) && surface == nullptr) std::abort();
    if (surface != nullptr) surface->Release();
    return 0;
}
