// The largest single allocation made through operator new while a probe is alive: tests of
// hostile data check that a huge declared size never turned into a huge allocation.
#pragma once

#include <cstddef>

class AllocationProbe {
public:
    AllocationProbe();
    ~AllocationProbe();
    size_t largest() const;
};
