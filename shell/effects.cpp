// The show's timeline: every effect is constructed and registered at once, in this order. The
// order matters beyond the timeline: constructors draw from the one random generator.
#include "shell/driver.h"

#include "runtime/dms.h"
#include "scenes/alkuotukset.h"
#include "scenes/credits.h"
#include "scenes/fairyt_open.h"
#include "scenes/greets.h"
#include "scenes/meduusa.h"
#include "scenes/metakappyra.h"
#include "scenes/metsae.h"
#include "scenes/uppo.h"
#include "scenes/viimeinen.h"

void registerEffects()
{
    //           start    end  layer  name           effect
    dmsAddEffect(    0, 10500,  0, "fairyt",      new FairytOpenEffect());
    dmsAddEffect( 8000, 66500, 10, "uppo",        new UppoEffect());
    dmsAddEffect(39000, 65500,  5, "metakappyra", new MetakappyraEffect());
    dmsAddEffect(66500, 91000, 10, "metsae",      new MetsaeEffect());
    dmsAddEffect(91000, 150000, 10, "meduusa",    new MeduusaEffect());
    dmsAddEffect(72000, 150000, 10, "alkuotukset", new AlkuotuksetEffect(0));
    dmsAddEffect(296000, 308000, 0, "Greets",     new GreetsEffect());
    dmsAddEffect(305000, 362000, 10, "viimeinen", new ViimeinenEffect());
    dmsAddEffect(346000, 361000, 5, "credits",    new CreditsEffect());
}
