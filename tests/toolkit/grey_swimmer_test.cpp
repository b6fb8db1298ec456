#include "toolkit/show_state.h"
#include "toolkit/grey_swimmer.h"

#include "maths/random.h"

#include <gtest/gtest.h>

namespace {

TEST(GreySwimmer, SetUpRaisesTheOwnCameraFlag)
{
    ownCameraFlag = false;
    Swimmer s;
    initGreySwimmer(s);
    EXPECT_TRUE(ownCameraFlag);
}

TEST(GreySwimmer, AThousandTakeNineThousandValuesAndStartBelowTheTop)
{
    seedRandom(3);
    for (int i = 0; i < 9000; ++i)
        nextRandom();
    const int afterAll = nextRandom();

    seedRandom(3);
    for (int i = 0; i < 1000; ++i) {
        Swimmer s;
        initGreySwimmer(s);
        const Vector3 p = s.wanderer.getPosition();
        ASSERT_FALSE(s.wanderer.isOutside(p));
        ASSERT_LT(p.y, 8.0f); // never on the upper faces, so the first step turns only on leaving
        ASSERT_LT(p.x, 15.0f);
        ASSERT_LT(p.z, 15.0f);
        ASSERT_GE(s.colour.x, 0.3f);
        ASSERT_LT(s.colour.x, 0.5f);
    }
    EXPECT_EQ(nextRandom(), afterAll);
}

} // namespace
