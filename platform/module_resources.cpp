// What the program carries on every platform: its built-in resources and the GL entry points the
// runtime reroutes.
#include "platform/backend.h"

#include <string>
#include <unordered_map>

namespace {
const ModuleResource* moduleResources = nullptr;
size_t moduleResourceCount = 0;
ProcAddressLookup procSource = nullptr;
std::unordered_map<std::string, PROC>& procOverrides()
{
    static std::unordered_map<std::string, PROC> overrides;
    return overrides;
}
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

void setProcAddressOverride(const char* name, PROC replacement)
{
    if (replacement)
        procOverrides()[name] = replacement;
    else
        procOverrides().erase(name);
}

PROC procAddressOverride(const char* name)
{
    auto found = procOverrides().find(name);
    return found == procOverrides().end() ? nullptr : found->second;
}

void setProcAddressSource(ProcAddressLookup lookup) { procSource = lookup; }

ProcAddressLookup procAddressSource() { return procSource; }
