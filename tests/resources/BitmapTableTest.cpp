#include "DecodedBitmap.h"

namespace
{
struct Expected
{
    int id;
    int width;
    int height;
    int depth;
    int frames;
};

// Sizes, depths and frame counts the editor relies on.
const Expected kExpectedBitmaps[] = {
    {1024, 600, 400, 24, 1},  {1025, 15, 286, 24, 1},   {1026, 15, 34, 24, 1},
    {1027, 9, 253, 24, 1},    {1028, 9, 253, 24, 1},    {1029, 9, 253, 24, 1},
    {1030, 9, 253, 24, 1},    {1031, 9, 253, 24, 1},    {1032, 18, 258, 24, 1},
    {1033, 18, 258, 24, 1},   {1034, 18, 258, 24, 1},   {1035, 18, 258, 24, 1},
    {1036, 9, 253, 24, 1},    {1037, 50, 3250, 32, 65}, {1038, 50, 3250, 32, 65},
    {1039, 70, 4550, 32, 65}, {1040, 70, 4550, 32, 65}, {1041, 33, 66, 24, 2},
    {1042, 22, 40, 24, 2},    {1043, 251, 10, 24, 1},
};

TEST(BitmapTable, EveryIdDecodesToItsSizeAndDepth)
{
    for (const Expected& expected : kExpectedBitmaps)
    {
        SCOPED_TRACE(expected.id);
        DecodedBitmap bitmap(expected.id);
        ASSERT_TRUE(bitmap.decoded());
        EXPECT_EQ(bitmap.info().id, expected.id);
        EXPECT_EQ(bitmap.info().width, expected.width);
        EXPECT_EQ(bitmap.info().height, expected.height);
        EXPECT_EQ(bitmap.info().depth, expected.depth);
        EXPECT_EQ(bitmap.width(), expected.width);
        EXPECT_EQ(bitmap.height(), expected.height);
        EXPECT_EQ(bitmap.hasAlphaChannel(), expected.depth == 32);
        EXPECT_EQ(bitmap.height() % expected.frames, 0);
    }
}

TEST(BitmapTable, UnknownIdsAreNull)
{
    for (int id : {-1, 0, 1, 1023, 1044, 2048})
        EXPECT_EQ(findBitmapResource(id), nullptr) << id;
}

TEST(BitmapTable, OpaqueBitmapsHaveNoPureWhite)
{
    for (const Expected& expected : kExpectedBitmaps)
    {
        if (expected.depth != 24)
            continue;
        DecodedBitmap bitmap(expected.id);
        ASSERT_TRUE(bitmap.decoded());
        int whitePixels = 0;
        for (int y = 0; y < bitmap.height(); ++y)
            for (int x = 0; x < bitmap.width(); ++x)
                whitePixels += sameColour(bitmap.pixel(x, y), {255, 255, 255, 255});
        EXPECT_EQ(whitePixels, 0) << expected.id;
    }
}
} // namespace
