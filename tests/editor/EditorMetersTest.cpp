// The meter law, the output scale choice, and the meters, markers and readout after the engine has
// processed known signals. Bypass passes the input to the output unchanged (but for the delay), so
// output levels are the input's.
#include "EditorTestSupport.h"

#include "editor/GainToPosition.h"
#include "editor/OutputScale.h"
#include "editor/PeakHoldMeter.h"
#include "toolkit/CTextLabel.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace
{
constexpr long kPeakLeft = 0, kCorrelation = 4, kReadout = 33;
constexpr long kMeterTop = 71, kMeterRows = 253; // pixels
constexpr long kUnlit = 1027, kLitPk = 1028, kLitCorrelation = 1036;
constexpr int kSettleFrames = 2048; // past the 512-frame delay
constexpr int kSettleRedraws = 25;  // a bar crosses the whole meter in 20
constexpr int kSecondOfFrames = 44100;

float fromDb(float db)
{
    return std::pow(10.0f, db / 20.0f);
}

// A second of a 1 kHz sine at 44.1 kHz, of peak amplitude 0.5, the right channel times rightSign.
void processSineSecond(EditorFixture& fixture, float rightSign)
{
    std::vector<float> left(kSecondOfFrames), right(kSecondOfFrames);
    for (int frame = 0; frame < kSecondOfFrames; ++frame)
    {
        left[frame] = 0.5f * std::sin(2.0f * float(M_PI) * 1000.0f * float(frame) / 44100.0f);
        right[frame] = rightSign * left[frame];
    }
    fixture.process(std::move(left), std::move(right));
}

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
        int strip, legend;
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

class EditorMeters : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        fixture.openHeadless();
        fixture.effect().setParameter(2, 1.0f); // bypass
    }
    PeakHoldMeter& meter(long index) { return *fixture.view<PeakHoldMeter>(index); }
    std::string readout() { return fixture.view<CTextLabel>(kReadout)->getText(); }
    // True when the meter's row (from its top) shows the strip's pixel of that row.
    bool rowShows(long meterIndex, long row, long stripId)
    {
        const CRect& rect = meter(meterIndex).getViewSize();
        return fixture.pixel(rect.left + 2, kMeterTop + row) ==
               bitmapImage(stripId)->getPixel(2, row);
    }

    EditorFixture fixture;
};
} // namespace

TEST_F(EditorMeters, TheMarkerIsOneLitRowAndOutOfRangeOrNotANumberValuesAreClamped)
{
    PeakHoldMeter& level = meter(kPeakLeft);
    level.setValue(0.0f);
    level.setOldValue(0.0f);
    level.setPeak(1.0f / 7.0f);
    fixture.frame().idle();
    EXPECT_TRUE(rowShows(kPeakLeft, 216, kUnlit));
    EXPECT_TRUE(rowShows(kPeakLeft, 217, kLitPk)) << "one row, at trunc(6/7 x 253 + 0.5)";
    EXPECT_TRUE(rowShows(kPeakLeft, 218, kUnlit));

    level.setPeak(1.5f);
    EXPECT_EQ(level.getPeak(), 1.0f);
    level.setPeak(-0.5f);
    EXPECT_EQ(level.getPeak(), 0.0f);
    level.setValue(-600.0f);
    EXPECT_EQ(level.getValue(), -600.0f) << "kept as given until drawn";
    level.setValue(std::nanf(""));
    level.setPeak(std::nanf(""));
    EXPECT_EQ(level.getValue(), 0.0f);
    EXPECT_EQ(level.getPeak(), 0.0f);
    level.setValue(3.0f);
    fixture.frame().idle();
    EXPECT_EQ(level.getOldValue(), 1.0f);

    level.setValueMapper([](float value) { return value / 2.0f; });
    level.setValueMapper(nullptr); // keeps the mapper
    level.setValue(0.5f);
    EXPECT_EQ(level.getValue(), 0.25f);
}

TEST_F(EditorMeters, MinusThirtySixDbfsSitsAtOneSeventhAndNearFullScaleFillsTheBar)
{
    fixture.process(fromDb(-36.0f), fromDb(-36.0f), kSettleFrames);
    fixture.idle(kSettleRedraws);
    EXPECT_TRUE(rowShows(kPeakLeft, 216, kUnlit));
    EXPECT_TRUE(rowShows(kPeakLeft, 217, kLitPk)) << "the top 36 of 253 rows are lit";
    EXPECT_TRUE(rowShows(kPeakLeft, 252, kLitPk));
    EXPECT_EQ(readout(), "-36.0 dB -36.0");

    // The engine's peak meter decays between frames, so a steady 0.99 reads a little below;
    // 0.995 (-0.04 dB) stays above. The readout shows no "-0.0".
    fixture.process(0.995f, 0.995f, kSettleFrames);
    fixture.idle(2);
    EXPECT_EQ(meter(kPeakLeft).getOldValue(), 1.0f);
    EXPECT_EQ(meter(kPeakLeft).getPeak(), 1.0f);
    EXPECT_TRUE(rowShows(kPeakLeft, 0, kLitPk));
    EXPECT_EQ(readout(), "0.0 dB 0.0");
}

TEST_F(EditorMeters, TheReadoutAddsTheScalesOffset)
{
    fixture.effect().setParameter(1, 0.75f); // K20
    fixture.process(fromDb(-20.0f), fromDb(-20.0f), kSettleFrames);
    fixture.idle(2);
    EXPECT_EQ(readout(), "0.0 dB 0.0");
    fixture.effect().setParameter(1, 0.0f); // PK
    fixture.idle();
    EXPECT_EQ(readout(), "-20.0 dB -20.0");
}

TEST_F(EditorMeters, TheCorrelationMarkerFollowsTheCorrelation)
{
    processSineSecond(fixture, 1.0f);
    fixture.idle(kSettleRedraws);
    EXPECT_TRUE(rowShows(kCorrelation, 0, kLitCorrelation)) << "+1 puts it in the top row";
    EXPECT_TRUE(rowShows(kCorrelation, 1, kUnlit));

    for (int second = 0; second < 3; ++second) // the statistics swing over
        processSineSecond(fixture, -1.0f);
    fixture.idle(2);
    for (long row = 0; row < kMeterRows; ++row)
        ASSERT_TRUE(rowShows(kCorrelation, row, kUnlit)) << "-1 hides the marker; row " << row;
}
