// The browser's GL layer sends WebGL only what changes (platform/web/gl_shadow.h, pure
// bookkeeping, checked natively): a repeated value is skipped, and what WebGL itself changes
// behind the layer (a deleted texture unbound, a relinked program's uniforms reset) is sent again.
#include "platform/web/gl_shadow.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

using webgl::UniformCache;
using webgl::WebGlShadow;

namespace {

constexpr uint32_t blend = 0x0BE2, depthTest = 0x0B71, arrayBuffer = 0x8892, elementBuffer = 0x8893;

TEST(WebGlShadow, SendsTheFirstValueAndChangesOnly)
{
    WebGlShadow s;
    EXPECT_TRUE(s.enable(blend, false)); // WebGL's state is not assumed
    EXPECT_FALSE(s.enable(blend, false));
    EXPECT_TRUE(s.enable(depthTest, false)); // each capability on its own
    EXPECT_TRUE(s.enable(blend, true));
    EXPECT_TRUE(s.blendFunc.set({1, 0x0303}));
    EXPECT_FALSE(s.blendFunc.set({1, 0x0303}));
    EXPECT_TRUE(s.blendFunc.set({0x0302, 0x0303}));
    EXPECT_TRUE(s.viewport.set({0, 0, 640, 360}));
    EXPECT_FALSE(s.viewport.set({0, 0, 640, 360}));
    EXPECT_TRUE(s.viewport.set({0, 0, 640, 361}));
}

TEST(WebGlShadow, BindingsAreKeptPerUnitAndADeletedTextureIsUnbound)
{
    WebGlShadow s;
    for (int unit : {0, 2, 3}) {
        EXPECT_TRUE(s.activeTexture(unit));
        EXPECT_TRUE(s.bindTexture(7));
    }
    s.activeTexture(1);
    EXPECT_TRUE(s.bindTexture(9));
    s.activeTexture(2);
    EXPECT_FALSE(s.bindTexture(7));
    EXPECT_FALSE(s.activeTexture(2));
    s.textureDeleted(7);
    // WebGL unbound it from units 0, 2 and 3: binding 0 there changes nothing, binding it (or a
    // texture given its number) must be sent.
    EXPECT_FALSE(s.bindTexture(0));
    EXPECT_TRUE(s.bindTexture(7));
    s.activeTexture(3);
    EXPECT_FALSE(s.bindTexture(0));
    s.activeTexture(1);
    EXPECT_FALSE(s.bindTexture(9));
}

TEST(WebGlShadow, ADeletedProgramOrBufferIsSentAgain)
{
    WebGlShadow s;
    EXPECT_TRUE(s.useProgram(5));
    EXPECT_FALSE(s.useProgram(5));
    s.programDeleted(5);
    EXPECT_TRUE(s.useProgram(5));
    s.programDeleted(6); // not in use: the one in use stays known
    EXPECT_FALSE(s.useProgram(5));

    EXPECT_TRUE(s.bindBuffer(arrayBuffer, 3));
    EXPECT_TRUE(s.bindBuffer(elementBuffer, 3)); // the targets are apart
    EXPECT_FALSE(s.bindBuffer(arrayBuffer, 3));
    s.bufferDeleted(3);
    EXPECT_FALSE(s.bindBuffer(arrayBuffer, 0));
    EXPECT_TRUE(s.bindBuffer(elementBuffer, 3));
    EXPECT_TRUE(s.bindBuffer(0x8A11, 3)); // targets not kept are always sent
    EXPECT_TRUE(s.bindBuffer(0x8A11, 3));
}

TEST(UniformCache, SkipsUnplacedAndHeldValuesPerProgramUntilRelinked)
{
    UniformCache cache;
    const std::array<float, 4> red{1, 0, 0, 1}, green{0, 1, 0, 1};
    EXPECT_FALSE(cache.changed(1, -1, red.data(), sizeof red)); // a uniform the program lacks
    EXPECT_TRUE(cache.changed(1, 4, red.data(), sizeof red));
    EXPECT_FALSE(cache.changed(1, 4, red.data(), sizeof red));
    EXPECT_TRUE(cache.changed(2, 4, red.data(), sizeof red)); // the same location of another program
    EXPECT_TRUE(cache.changed(1, 5, red.data(), sizeof red));
    EXPECT_TRUE(cache.changed(1, 4, green.data(), sizeof green));
    EXPECT_TRUE(cache.changed(1, 4, green.data(), 3 * sizeof(float))); // a shorter value is another one
    // Words compared bit for bit: a NaN held is held, -0 is not 0.
    const float nan = std::nanf(""), zero = 0.0f, negativeZero = -0.0f;
    EXPECT_TRUE(cache.changed(1, 6, &nan, sizeof nan));
    EXPECT_FALSE(cache.changed(1, 6, &nan, sizeof nan));
    EXPECT_TRUE(cache.changed(1, 7, &zero, sizeof zero));
    EXPECT_TRUE(cache.changed(1, 7, &negativeZero, sizeof negativeZero));
    // Linking again resets program 1's uniforms, not program 2's.
    cache.forget(1);
    EXPECT_TRUE(cache.changed(1, 5, red.data(), sizeof red));
    EXPECT_FALSE(cache.changed(2, 4, red.data(), sizeof red));
}

} // namespace
