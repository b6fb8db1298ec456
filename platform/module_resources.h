// What a program carries inside itself on every platform: icons and bitmaps (the dialog banner,
// the window icon), registered once by the generated resources of the program.
#pragma once

#include <cstddef>

struct ModuleResource {
    int id;
    const unsigned char* data; // PNG bytes
    size_t size;
};
void registerModuleResources(const ModuleResource* resources, size_t count);
// The resource of that id, or null.
const ModuleResource* findModuleResource(int id);

// Defined by the generated resources of the program (the window icon and the dialog banner).
void registerBuiltInResources();
