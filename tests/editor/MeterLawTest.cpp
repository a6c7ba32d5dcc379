// The meter law and the output scale choice, against the figures the panel's legends print.
#include "editor/GainToPosition.h"
#include "editor/OutputScale.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
float fromDb(float db)
{
    return std::pow(10.0f, db / 20.0f);
}
} // namespace

TEST(MeterLaw, TwoSegmentsWithAFullScaleStepAt099)
{
    EXPECT_EQ(gainToPosition(0.99f), 1.0f);
    EXPECT_EQ(gainToPosition(4.0f), 1.0f);
    EXPECT_NEAR(gainToPosition(0.98f), 0.9958f, 1e-4f);
    EXPECT_NEAR(gainToPosition(fromDb(-6.0f)), 36.0f / 42.0f, 1e-6f);
    EXPECT_NEAR(gainToPosition(fromDb(-36.0f)), 1.0f / 7.0f, 1e-6f);
    EXPECT_NEAR(gainToPosition(fromDb(-54.0f)), 18.0f / 252.0f, 1e-6f);
    EXPECT_NEAR(gainToPosition(fromDb(-72.0f)), 0.0f, 1e-5f);
    EXPECT_NEAR(gainToPosition(fromDb(-80.0f)), -80.0f, 1e-3f) << "below the scale: the dB";
    EXPECT_NEAR(gainToPosition(0.0f), -600.0f, 1e-3f) << "silence is far below empty";
}

TEST(OutputScaleChoice, BoundariesBelongToTheHigherScaleForStripsAndReadoutAlike)
{
    const struct
    {
        float value;
        OutputScale scale;
        int strip;
        int legend;
        float offsetDb;
    } cases[] = {
        {0.0f, OutputScale::pk, 1028, 1032, 0.0f},     {0.1249f, OutputScale::pk, 1028, 1032, 0.0f},
        {0.125f, OutputScale::k12, 1029, 1033, 12.0f}, {0.25f, OutputScale::k12, 1029, 1033, 12.0f},
        {0.375f, OutputScale::k14, 1030, 1034, 14.0f}, {0.5f, OutputScale::k14, 1030, 1034, 14.0f},
        {0.625f, OutputScale::k20, 1031, 1035, 20.0f}, {1.0f, OutputScale::k20, 1031, 1035, 20.0f},
    };
    for (const auto& expected : cases)
    {
        const OutputScale scale = outputScaleFor(expected.value);
        EXPECT_EQ(scale, expected.scale) << expected.value;
        EXPECT_EQ(outputScaleLook(scale).litStripId, expected.strip);
        EXPECT_EQ(outputScaleLook(scale).legendId, expected.legend);
        EXPECT_EQ(outputScaleLook(scale).readoutOffsetDb, expected.offsetDb);
        EXPECT_EQ(outputScaleFor(outputScaleLook(scale).parameterValue), scale)
            << "a button's value selects its own scale";
    }
}
