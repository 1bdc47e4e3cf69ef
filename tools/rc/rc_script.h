// Reading a resource script (.rc) into resources stored in the layout that
// Windows keeps them in, so that the layer's lookup functions can hand out
// the same bytes that windres would have put into a Windows executable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rc {

// A type or a name: an integer (MAKEINTRESOURCE) or an upper-case string.
struct ResourceKey {
    bool isString = false;
    std::uint16_t id = 0;
    std::string text;

    static ResourceKey Number(std::uint16_t value) { return {false, value, {}}; }
    static ResourceKey Text(std::string value) { return {true, 0, std::move(value)}; }
    bool operator==(const ResourceKey&) const = default;
};

struct Resource {
    ResourceKey type;
    ResourceKey name;
    std::vector<std::uint8_t> data;
};

struct CompiledScript {
    std::vector<Resource> resources;
    std::vector<std::string> dependencies;  // every file the resources were read from
};

// Compiles the script at `path`; files named in it are relative to its folder.
// On failure returns false with a "file:line: message" in `error`. A file
// that is not a regular file (a folder, FIFO, socket or device), or whose
// name is empty or holds a NUL byte, is refused that way too, never read.
bool CompileScript(const std::string& path, CompiledScript& out, std::string& error);

// The same for script text already in memory, as if read from `path`.
bool CompileScriptText(const std::string& text, const std::string& path, CompiledScript& out, std::string& error);

// Windows' resource type numbers used by the compiler.
constexpr std::uint16_t kRtIcon = 3;
constexpr std::uint16_t kRtBitmap = 2;
constexpr std::uint16_t kRtString = 6;
constexpr std::uint16_t kRtRcData = 10;
constexpr std::uint16_t kRtGroupIcon = 14;

}  // namespace rc
