// The show's timeline: every effect is constructed and registered at once, in this order. The
// order matters beyond the timeline: constructors draw from the one random generator.
#include "shell/driver.h"

#include "runtime/dms.h"

void registerEffects()
{
    //           start    end  layer  name           effect
}
