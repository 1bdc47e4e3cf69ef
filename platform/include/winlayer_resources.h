// The bridge between a compiled resource script and the layer. Only the code
// that tools/rc generates includes this header: an executable's resources are
// embedded as a table of entries and handed to the layer by a static
// initialiser before any other static object of the executable is built.
// Windows builds never see this file; they link the script through windres.
#pragma once

#include <cstddef>

namespace layer {

// One resource, stored the way Windows stores it (RT_BITMAP without the file
// header, RT_STRING as blocks of 16 counted UTF-16 strings, RT_GROUP_ICON with
// RT_ICON images, custom types as the file's bytes).
struct ResourceEntry {
    const char* typeName;        // upper-case type name, or null for an integer type
    unsigned short typeId;       // integer type when typeName is null
    const char* name;            // upper-case resource name, or null for an integer id
    unsigned short id;           // integer id when name is null
    const unsigned char* data;   // stays valid for the life of the process
    std::size_t size;
};

// Adds the entries to the resources of the executable module. The table is
// kept by reference, not copied. A later registration of the same type and
// name replaces the earlier one.
// The one name the layer's library exports beside the Windows API: it stands
// in for the resource section the Windows loader reads from the executable.
__attribute__((visibility("default"))) void RegisterResources(const ResourceEntry* entries, std::size_t count);

}  // namespace layer
