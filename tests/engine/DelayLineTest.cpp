#include "engine/DelayLine.h"

#include <gtest/gtest.h>

TEST(DelayLine, EngineConfigurationDelaysBy512)
{
    DelayLine line;
    line.configure(512, 512, 1.0f);
    for (int n = 0; n < 2000; ++n)
    {
        line.write(static_cast<float>(n + 1));
        ASSERT_EQ(line.readOldest(), n < 512 ? 0.0f : static_cast<float>(n + 1 - 512)) << n;
        ASSERT_EQ(line.readAt(511), static_cast<float>(n));
        ASSERT_EQ(line.slotsFromOldest()[300], line.readAt(300));
    }
    StereoDelayLine stereoLine;
    stereoLine.configure(512, 512, 1.0f);
    for (int n = 0; n < 513; ++n)
    {
        stereoLine.write(stereo::make(static_cast<float>(n), -static_cast<float>(n)));
    }
    EXPECT_EQ(stereoLine.readOldest()[0], 0.0f);
    EXPECT_EQ(stereoLine.readAt(511)[1], -511.0f);
}

TEST(DelayLine, ShortLineWrapsAndClampsItsReads)
{
    DelayLine line;
    line.configure(2, 2, 1.0f);
    for (const float x : {10.0f, 11.0f, 12.0f})
    {
        line.write(x);
    }
    EXPECT_EQ(line.readOldest(), 10.0f);
    EXPECT_EQ(line.readAt(0), 10.0f);
    EXPECT_EQ(line.readAt(1), 11.0f);
    EXPECT_EQ(line.readAt(2), 11.0f);
    EXPECT_EQ(line.readAt(-5), 10.0f);
}

TEST(DelayLine, LengthIsLimitedByCapacityAndGainScalesReadsOnly)
{
    DelayLine line;
    line.configure(600, 512, 0.5f);
    EXPECT_EQ(line.getLength(), 512);
    for (int n = 0; n < 600; ++n)
    {
        line.write(4.0f);
    }
    EXPECT_EQ(line.readOldest(), 2.0f);
    EXPECT_EQ(line.slotsFromOldest()[0], 4.0f);
    line.clear();
    EXPECT_EQ(line.readOldest(), 0.0f);
    EXPECT_EQ(line.readAt(100), 0.0f);
}
