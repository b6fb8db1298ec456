// The show's timeline: every effect is constructed and registered at once, in this order. The
// order matters beyond the timeline: constructors draw from the one random generator.
//
// | registered name | what the viewer sees                                          | class / test file                              |
// |-----------------|---------------------------------------------------------------|------------------------------------------------|
// | "fairyt"        | smoke over a reflecting water surface, the camera sinking in  | FairytOpenEffect, tests/scenes/fairyt_open_test |
// | "uppo"          | the long descent through drifting plankton and crossers       | UppoEffect, tests/scenes/uppo_test             |
// | "metakappyra"   | clusters of springy white flares rising over the descent      | MetakappyraEffect, tests/scenes/metakappyra_test |
// | "metsae"        | a forest of glowing fronds growing and swaying on the floor   | MetsaeEffect, tests/scenes/metsae_test         |
// | "meduusa"       | jellyfish with tentacles, turning shells and bubbles          | MeduusaEffect, tests/scenes/meduusa_test       |
// | "alkuotukset"   | a thousand grey specks swimming along a camera track          | AlkuotuksetEffect, tests/scenes/alkuotukset_test |
// | "fisut"         | a bending fish over a lit floor, with its shadow and caustics | FisutEffect, tests/scenes/fisut_test           |
// | "tyonto"        | ten thousand glowing specks torn by pushers, healing again    | TyontoEffect, tests/scenes/tyonto_test         |
// | "oliot"         | ribbons, sprouting stalks and sparking strands on the floor   | OliotEffect, tests/scenes/oliot_test           |
// | "suihke"        | a spray of particles behind a turning silhouette, zoom trails | SuihkeEffect, tests/scenes/suihke_test         |
// | "ropes"         | two hundred glowing ropes swaying from wandering anchors      | RopesEffect, tests/scenes/ropes_test           |
// | "fairyt"        | the return: a long flight along ropes of fine light hairs     | FairytReturnEffect, tests/scenes/fairyt_return_test |
// | "Greets"        | the greetings, popping in on their cues through rippling water | GreetsEffect, tests/scenes/greets_test        |
// | "viimeinen"     | the closing glide over glowing, wilting stalks and specks     | ViimeinenEffect, tests/scenes/viimeinen_test   |
// | "credits"       | the credits through rippling water, fading out at the end     | CreditsEffect, tests/scenes/credits_test       |
#include "shell/driver.h"

#include "runtime/dms.h"
#include "runtime/offline.h"
#include "scenes/alkuotukset.h"
#include "scenes/credits.h"
#include "scenes/fairyt_open.h"
#include "scenes/fairyt_return.h"
#include "scenes/fisut.h"
#include "scenes/greets.h"
#include "scenes/meduusa.h"
#include "scenes/metakappyra.h"
#include "scenes/metsae.h"
#include "scenes/oliot.h"
#include "scenes/ropes.h"
#include "scenes/suihke.h"
#include "scenes/tyonto.h"
#include "scenes/uppo.h"
#include "scenes/viimeinen.h"

#include <memory>
#include <vector>

namespace {
// The effects belong to the show: built here, released at shutdown. Built before main, so it
// outlives any exit handler that shuts the show down.
std::vector<std::unique_ptr<Base>> ownedEffects;

void add(unsigned long start, unsigned long end, int layer, const char* name, Base* effect)
{
    ownedEffects.emplace_back(effect);
    dmsAddEffect(start, end, layer, name, effect);
}
} // namespace

void registerEffects()
{
    //    start     end  layer  name           effect
    add(     0,  10500,  0, "fairyt",      new FairytOpenEffect());
    add(  8000,  66500, 10, "uppo",        new UppoEffect());
    add( 39000,  65500,  5, "metakappyra", new MetakappyraEffect());
    add( 66500,  91000, 10, "metsae",      new MetsaeEffect());
    add( 91000, 150000, 10, "meduusa",     new MeduusaEffect());
    add( 72000, 150000, 10, "alkuotukset", new AlkuotuksetEffect(0));
    add(150000, 167000,  0, "fisut",       new FisutEffect());
    add(167000, 182800, 10, "tyonto",      new TyontoEffect());
    add(182950, 204000, 10, "oliot",       new OliotEffect());
    add(204000, 221500, 10, "suihke",      new SuihkeEffect());
    add(221500, 254500, 10, "ropes",       new RopesEffect());
    add(254500, 305000,  0, "fairyt",      new FairytReturnEffect());
    add(296000, 308000,  0, "Greets",      new GreetsEffect());
    add(305000, 362000, 10, "viimeinen",   new ViimeinenEffect());
    add(346000, 361000,  5, "credits",     new CreditsEffect());
}

void releaseEffects()
{
    dmsClearTimeline();
    for (auto& effect : ownedEffects)
        effect->release();
    ownedEffects.clear();
}
