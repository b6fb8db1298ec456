// The show's timeline: every effect is constructed and registered at once, in this order. The
// order matters beyond the timeline: constructors draw from the one random generator.
#include "shell/driver.h"

#include "runtime/dms.h"
#include "scenes/fairyt_open.h"
#include "scenes/metakappyra.h"
#include "scenes/uppo.h"

void registerEffects()
{
    //           start    end  layer  name           effect
    dmsAddEffect(    0, 10500,  0, "fairyt",      new FairytOpenEffect());
    dmsAddEffect( 8000, 66500, 10, "uppo",        new UppoEffect());
    dmsAddEffect(39000, 65500,  5, "metakappyra", new MetakappyraEffect());
}
