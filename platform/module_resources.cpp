#include "platform/module_resources.h"

namespace {
const ModuleResource* moduleResources = nullptr;
size_t moduleResourceCount = 0;
} // namespace

void registerModuleResources(const ModuleResource* resources, size_t count)
{
    moduleResources = resources;
    moduleResourceCount = count;
}

const ModuleResource* findModuleResource(int id)
{
    for (size_t i = 0; i < moduleResourceCount; ++i)
        if (moduleResources[i].id == id)
            return &moduleResources[i];
    return nullptr;
}
