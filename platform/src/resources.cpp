// Resource lookup in the executable module. The executable's resources arrive
// through RegisterResources from the code that tools/rc generates, already in
// the layout Windows keeps them in, so these functions only find and hand out.
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "fnv1a.h"
#include "layer_log.h"
#include "module_handles.h"
#include "resources_internal.h"
#include "windows.h"
#include "winlayer_resources.h"

namespace layer {

namespace {

void ReportError(DWORD code) { SetLastError(code); }

struct Registry {
    std::mutex guard;
    std::vector<const ResourceEntry*> entries;
    std::map<const ResourceEntry*, int> icons;  // icon groups handed out as HICONs
};

// Built on first use: the registering static initialiser may run before any
// static object of this library.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

// A type or name as Windows passes it: an integer through MAKEINTRESOURCE,
// "#123" for the same integer, or a string compared without regard to case.
struct Key {
    bool isString = false;
    WORD id = 0;
    const char* text = nullptr;
};

Key MakeKey(LPCSTR value) {
    Key key;
    if (IS_INTRESOURCE(value)) {
        key.id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(value));
        return key;
    }
    if (value[0] == '#' && value[1] != '\0') {
        unsigned long number = 0;
        const char* p = value + 1;
        while (*p >= '0' && *p <= '9' && number <= 0xFFFF) number = number * 10 + static_cast<unsigned long>(*p++ - '0');
        if (*p == '\0' && number <= 0xFFFF) {
            key.id = static_cast<WORD>(number);
            return key;
        }
    }
    key.isString = true;
    key.text = value;
    return key;
}

bool SameText(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char ca = (*a >= 'a' && *a <= 'z') ? static_cast<char>(*a - 32) : *a;
        char cb = (*b >= 'a' && *b <= 'z') ? static_cast<char>(*b - 32) : *b;
        if (ca != cb) return false;
        if (ca == '\0') return true;
    }
}

bool Matches(const char* entryText, WORD entryId, const Key& key) {
    if (key.isString) return entryText != nullptr && SameText(entryText, key.text);
    return entryText == nullptr && entryId == key.id;
}

bool IsExecutable(HMODULE module) { return module == nullptr || module == ExecutableModule(); }

const ResourceEntry* Find(LPCSTR name, LPCSTR type, DWORD& error) {
    if (name == nullptr || type == nullptr) {
        error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    Key typeKey = MakeKey(type);
    Key nameKey = MakeKey(name);
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.guard);
    bool typeSeen = false;
    for (const ResourceEntry* entry : registry.entries) {
        if (!Matches(entry->typeName, entry->typeId, typeKey)) continue;
        typeSeen = true;
        if (Matches(entry->name, entry->id, nameKey)) return entry;
    }
    error = typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND;
    return nullptr;
}

const ResourceEntry* EntryOf(HRSRC resource) {
    if (resource == nullptr) return nullptr;
    const auto* wanted = reinterpret_cast<const ResourceEntry*>(resource);
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.guard);
    for (const ResourceEntry* entry : registry.entries) {
        if (entry == wanted) return entry;
    }
    return nullptr;
}

WORD ReadWord(const unsigned char* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD ReadDword(const unsigned char* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}

}  // namespace

std::uint64_t ResourcesHash() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.guard);
    std::uint64_t hash = kFnv1aStart;
    const auto mix = [&hash](const void* data, std::size_t size) { hash = Fnv1a(hash, data, size); };
    for (const ResourceEntry* entry : registry.entries) {
        const char* type = entry->typeName ? entry->typeName : "";
        const char* name = entry->name ? entry->name : "";
        mix(type, std::strlen(type) + 1);
        mix(&entry->typeId, sizeof entry->typeId);
        mix(name, std::strlen(name) + 1);
        mix(&entry->id, sizeof entry->id);
        const std::uint64_t size = entry->size;
        mix(&size, sizeof size);
        mix(entry->data, entry->size);
    }
    return hash;
}

void RegisterResources(const ResourceEntry* entries, std::size_t count) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.guard);
    for (std::size_t i = 0; i < count; ++i) {
        const ResourceEntry* entry = &entries[i];
        if (entry->data == nullptr) continue;
        bool replaced = false;
        for (const ResourceEntry*& known : registry.entries) {
            bool sameType = (known->typeName == nullptr && entry->typeName == nullptr && known->typeId == entry->typeId) ||
                            (known->typeName != nullptr && entry->typeName != nullptr && SameText(known->typeName, entry->typeName));
            bool sameName = (known->name == nullptr && entry->name == nullptr && known->id == entry->id) ||
                            (known->name != nullptr && entry->name != nullptr && SameText(known->name, entry->name));
            if (sameType && sameName) {
                known = entry;
                replaced = true;
                break;
            }
        }
        if (!replaced) registry.entries.push_back(entry);
    }
}

bool DecodeIcon(HICON icon, int preferredSize, std::vector<std::uint32_t>& pixels, int& width, int& height) {
    const ResourceEntry* group = nullptr;
    {
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> lock(registry.guard);
        for (const auto& [entry, unused] : registry.icons) {
            if (reinterpret_cast<HICON>(const_cast<ResourceEntry*>(entry)) == icon) group = entry;
        }
    }
    if (group == nullptr || group->size < 6) return false;
    WORD count = ReadWord(group->data + 4);
    if (group->size < 6 + 14u * count) return false;
    // The group's entry nearest the wanted width, preferring more colours on a tie.
    int best = -1, bestScore = 0;
    for (int i = 0; i < count; ++i) {
        const unsigned char* e = group->data + 6 + 14 * i;
        int w = e[0] == 0 ? 256 : e[0];
        int score = -std::abs(w - preferredSize) * 1000 + ReadWord(e + 6);
        if (best < 0 || score > bestScore) best = i, bestScore = score;
    }
    WORD imageId = ReadWord(group->data + 6 + 14 * best + 12);
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(imageId), RT_ICON);
    const ResourceEntry* image = EntryOf(found);
    if (image == nullptr || image->size < 40) return false;
    const unsigned char* d = image->data;
    DWORD headerSize = ReadDword(d);
    int w = static_cast<int>(ReadDword(d + 4));
    int h = static_cast<int>(ReadDword(d + 8)) / 2;  // colour rows, then the mask's
    WORD bits = ReadWord(d + 14);
    DWORD compression = ReadDword(d + 16);
    if (headerSize < 40 || compression != 0 || w <= 0 || h <= 0 || w > 256 || h > 256) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
    DWORD paletteCount = bits <= 8 ? (ReadDword(d + 32) ? ReadDword(d + 32) : (1u << bits)) : 0;
    std::size_t stride = ((static_cast<std::size_t>(w) * bits + 31) / 32) * 4;
    std::size_t maskStride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
    std::size_t paletteAt = headerSize, pixelsAt = paletteAt + 4 * paletteCount;
    std::size_t maskAt = pixelsAt + stride * static_cast<std::size_t>(h);
    if (maskAt + maskStride * static_cast<std::size_t>(h) > image->size) return false;
    pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = d + pixelsAt + stride * static_cast<std::size_t>(h - 1 - y);
        const unsigned char* mask = d + maskAt + maskStride * static_cast<std::size_t>(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            std::uint32_t argb = 0;
            if (bits <= 8) {
                int perByte = 8 / bits;
                int index = (row[x / perByte] >> ((perByte - 1 - x % perByte) * bits)) & ((1 << bits) - 1);
                if (static_cast<DWORD>(index) >= paletteCount) return false;
                const unsigned char* c = d + paletteAt + 4 * index;
                argb = 0xFF000000u | (static_cast<std::uint32_t>(c[2]) << 16) | (c[1] << 8) | c[0];
            } else {
                const unsigned char* c = row + x * (bits / 8);
                std::uint32_t alpha = bits == 32 ? c[3] : 0xFFu;
                argb = (alpha << 24) | (static_cast<std::uint32_t>(c[2]) << 16) | (c[1] << 8) | c[0];
            }
            if (bits != 32 && ((mask[x / 8] >> (7 - x % 8)) & 1)) argb = 0;
            pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] = argb;
        }
    }
    width = w;
    height = h;
    return true;
}

}  // namespace layer

using layer::ResourceEntry;

extern "C" {

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    if (!layer::IsExecutable(module)) {
        // Only the executable carries resources; libraries have none to give.
        layer::ReportError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    DWORD error = ERROR_SUCCESS;
    const ResourceEntry* entry = layer::Find(name, type, error);
    if (entry == nullptr) {
        layer::ReportError(error);
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(entry));
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource) {
    const ResourceEntry* entry = layer::IsExecutable(module) ? layer::EntryOf(resource) : nullptr;
    if (entry == nullptr) {
        layer::ReportError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // Resources live in the image for the process's life, as on Windows:
    // the handle is the data itself and needs no freeing.
    return const_cast<unsigned char*>(entry->data);
}

LPVOID WINAPI LockResource(HGLOBAL resourceData) { return resourceData; }

DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource) {
    const ResourceEntry* entry = layer::IsExecutable(module) ? layer::EntryOf(resource) : nullptr;
    if (entry == nullptr) {
        layer::ReportError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return static_cast<DWORD>(entry->size);
}

int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
    if (buffer == nullptr || bufferMax <= 0) {
        // A zero size asks LoadStringW for a pointer into the resource; the
        // ANSI function has no such form.
        layer::ReportError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    buffer[0] = '\0';
    if (id > 0xFFFF) {
        layer::ReportError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    HRSRC block = FindResourceA(instance, MAKEINTRESOURCEA(id / 16 + 1), RT_STRING);
    if (block == nullptr) return 0;
    const ResourceEntry* entry = reinterpret_cast<const ResourceEntry*>(block);
    const unsigned char* p = entry->data;
    const unsigned char* end = p + entry->size;
    for (UINT k = 0; k < id % 16; ++k) {
        if (end - p < 2) return 0;
        p += 2 + 2 * static_cast<std::size_t>(layer::ReadWord(p));
    }
    if (end - p < 2) return 0;
    std::size_t length = layer::ReadWord(p);
    p += 2;
    if (static_cast<std::size_t>(end - p) < 2 * length) return 0;
    if (length == 0) {
        layer::ReportError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    // Code page 1252 agrees with UTF-16 below 0x80 and, nearly, up to 0xFF;
    // anything beyond it has no single-byte form and becomes '?'.
    std::size_t copied = 0;
    for (; copied < length && copied + 1 < static_cast<std::size_t>(bufferMax); ++copied) {
        WORD unit = layer::ReadWord(p + 2 * copied);
        buffer[copied] = unit < 0x100 ? static_cast<char>(unit) : '?';
    }
    buffer[copied] = '\0';
    return static_cast<int>(copied);
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    if (instance == nullptr) {
        // The system's stock icons (IDI_APPLICATION and friends).
        layer::Unimplemented("LoadIconA(system icon)", E_NOTIMPL);
        return nullptr;
    }
    HRSRC group = FindResourceA(instance, name, RT_GROUP_ICON);
    if (group == nullptr) return nullptr;
    const ResourceEntry* entry = reinterpret_cast<const ResourceEntry*>(group);
    layer::Registry& registry = layer::TheRegistry();
    std::lock_guard<std::mutex> lock(registry.guard);
    registry.icons[entry] = 1;  // shared icon: the same handle on every load, never destroyed
    return reinterpret_cast<HICON>(const_cast<ResourceEntry*>(entry));
}

}  // extern "C"
