#include "DecodedBitmap.h"

#include <cmath>

namespace
{
constexpr int kNobFrames = 65;
const Rgba kNobKey{232, 225, 207, 255};

// Looks along a ray from the knob's centre, angle measured clockwise from the top, for the arc.
bool arcReaches(const DecodedBitmap& knob, int frame, double degreesFromTop)
{
    const int size = knob.width();
    const double half = size / 2.0;
    const double angle = degreesFromTop * 3.14159265358979 / 180.0;
    for (double radius = half * 0.6; radius < half; radius += 0.5)
    {
        const int x = int(half + std::sin(angle) * radius);
        const int y = int(half - std::cos(angle) * radius);
        if (isCyan(knob.pixel(x, frame * size + y)))
            return true;
    }
    return false;
}

TEST(KnobFilmstrips, OpaqueWithKeyColouredCornersInEveryFrame)
{
    for (int id : {1037, 1038, 1039, 1040})
    {
        SCOPED_TRACE(id);
        DecodedBitmap knob(id);
        ASSERT_TRUE(knob.decoded());
        const int size = knob.width();
        ASSERT_EQ(knob.height(), size * kNobFrames);
        int translucentPixels = 0;
        for (int y = 0; y < knob.height(); ++y)
            for (int x = 0; x < size; ++x)
                translucentPixels += knob.pixel(x, y).alpha != 255;
        EXPECT_EQ(translucentPixels, 0);
        for (int frame = 0; frame < kNobFrames; ++frame)
        {
            const int top = frame * size;
            for (int x : {0, 1, size - 2, size - 1})
                for (int y : {0, 1, size - 2, size - 1})
                    EXPECT_TRUE(sameColour(knob.pixel(x, top + y), kNobKey)) << frame;
            EXPECT_FALSE(sameColour(knob.pixel(size / 2, top + size / 2), kNobKey)) << frame;
        }
    }
}

TEST(KnobFilmstrips, ArcGrowsClockwiseFromTheMinimum)
{
    for (int id : {1037, 1039})
    {
        SCOPED_TRACE(id);
        DecodedBitmap knob(id);
        ASSERT_TRUE(knob.decoded());
        for (double degrees : {-120.0, 0.0, 120.0})
        {
            EXPECT_FALSE(arcReaches(knob, 0, degrees)) << degrees;
            EXPECT_TRUE(arcReaches(knob, 64, degrees)) << degrees;
        }
        // Frame 16 shows a quarter of the range: the pointer at 67.5 degrees left of the top.
        EXPECT_TRUE(arcReaches(knob, 16, -100.0));
        EXPECT_FALSE(arcReaches(knob, 16, -30.0));
        EXPECT_TRUE(arcReaches(knob, 32, -90.0));
        EXPECT_FALSE(arcReaches(knob, 32, 90.0));
    }
}

TEST(KnobFilmstrips, BipolarArcGrowsFromTheTopCentre)
{
    for (int id : {1038, 1040})
    {
        SCOPED_TRACE(id);
        DecodedBitmap knob(id);
        ASSERT_TRUE(knob.decoded());
        EXPECT_FALSE(arcReaches(knob, 32, -60.0));
        EXPECT_FALSE(arcReaches(knob, 32, 60.0));
        EXPECT_TRUE(arcReaches(knob, 0, -90.0));
        EXPECT_FALSE(arcReaches(knob, 0, 90.0));
        EXPECT_TRUE(arcReaches(knob, 64, 90.0));
        EXPECT_FALSE(arcReaches(knob, 64, -90.0));
        EXPECT_TRUE(arcReaches(knob, 48, 60.0));
        EXPECT_FALSE(arcReaches(knob, 48, -20.0));
    }
}

TEST(Buttons, SecondFrameLightsTheLampBlue)
{
    for (int id : {1041, 1042})
    {
        SCOPED_TRACE(id);
        DecodedBitmap button(id);
        ASSERT_TRUE(button.decoded());
        const int frameHeight = button.height() / 2;
        const Rgba unlit = button.pixel(button.width() / 2, frameHeight / 2);
        const Rgba lit = button.pixel(button.width() / 2, frameHeight + frameHeight / 2);
        EXPECT_LT(unlit.blue, 100);
        EXPECT_GT(lit.blue, 200);
        EXPECT_GT(lit.blue, lit.red + 40);
    }
}

TEST(Fader, LightHandleWithACentreMarkOverADarkSlot)
{
    DecodedBitmap handle(1026);
    DecodedBitmap track(1025);
    ASSERT_TRUE(handle.decoded() && track.decoded());
    const Rgba cap = handle.pixel(7, 3);
    EXPECT_GT(std::min({cap.red, cap.green, cap.blue}), 150);
    // The mark on row 17 is the handle's value position, the row the legends line up with.
    EXPECT_LT(handle.pixel(7, 17).red, 60);
    EXPECT_LT(track.pixel(7, 143).red, track.pixel(0, 143).red);
}
} // namespace
