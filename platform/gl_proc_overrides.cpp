#include "platform/gl_proc_overrides.h"

#include <string>
#include <unordered_map>

namespace {
ProcAddressLookup procSource = nullptr;
std::unordered_map<std::string, PROC>& procOverrides()
{
    static std::unordered_map<std::string, PROC> overrides;
    return overrides;
}
} // namespace

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

PROC resolveProcAddress(const char* name, PROC (*lookup)(const char* name))
{
    if (!name)
        return nullptr;
    if (PROC replacement = procAddressOverride(name))
        return replacement;
    return lookup(name);
}
