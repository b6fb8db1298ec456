// The show's timeline: every effect is constructed and registered at once, in this order. The
// order matters beyond the timeline: constructors draw from the one random generator.
#include "shell/driver.h"

#include "runtime/dms.h"
#include "scenes/alkuotukset.h"
#include "scenes/fairyt_open.h"
#include "scenes/fairyt_return.h"
#include "scenes/meduusa.h"
#include "scenes/metakappyra.h"
#include "scenes/metsae.h"
#include "scenes/ropes.h"
#include "scenes/suihke.h"
#include "scenes/uppo.h"

void registerEffects()
{
    //           start    end  layer  name           effect
    dmsAddEffect(    0, 10500,  0, "fairyt",      new FairytOpenEffect());
    dmsAddEffect( 8000, 66500, 10, "uppo",        new UppoEffect());
    dmsAddEffect(39000, 65500,  5, "metakappyra", new MetakappyraEffect());
    dmsAddEffect(66500, 91000, 10, "metsae",      new MetsaeEffect());
    dmsAddEffect(91000, 150000, 10, "meduusa",    new MeduusaEffect());
    dmsAddEffect(72000, 150000, 10, "alkuotukset", new AlkuotuksetEffect(0));
    dmsAddEffect(204000, 221500, 10, "suihke",    new SuihkeEffect());
    dmsAddEffect(221500, 254500, 10, "ropes",     new RopesEffect());
    dmsAddEffect(254500, 305000,  0, "fairyt",    new FairytReturnEffect());
}
