// The meters, markers and readout after the engine has processed known signals. Bypass passes
// the input to the output unchanged (but for the delay), so output levels are the input's.
#include "EditorTestSupport.h"

#include "editor/PeakHoldMeter.h"
#include "toolkit/CTextLabel.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
constexpr long kPeakLeft = 0, kCorrelation = 4, kReadout = 33, kStatus = 32;
constexpr long kMeterTop = 71;
constexpr int kSettleFrames = 2048; // past the 512-frame delay
constexpr int kSettleRedraws = 25;  // a bar crosses the whole meter in 20
constexpr int kSecondOfFrames = 44100;

float fromDb(float db)
{
    return std::pow(10.0f, db / 20.0f);
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
        return fixture.pixel(rect.left + 2, kMeterTop + row) == BitmapPixels(stripId).at(2, row);
    }

    EditorFixture fixture;
};
} // namespace

TEST_F(EditorMeters, MinusThirtySixDbfsSitsAtOneSeventhAndNearFullScaleFillsTheBar)
{
    fixture.process(fromDb(-36.0f), fromDb(-36.0f), kSettleFrames);
    fixture.idle(kSettleRedraws);
    EXPECT_TRUE(rowShows(kPeakLeft, 216, 1027));
    EXPECT_TRUE(rowShows(kPeakLeft, 217, 1028)) << "the top 36 of 253 rows are lit";
    EXPECT_TRUE(rowShows(kPeakLeft, 252, 1028));
    EXPECT_EQ(readout(), "-36.0 dB -36.0");

    // The engine's peak meter decays between frames, so a steady 0.99 reads a little below;
    // 0.995 (-0.04 dB) stays above. The readout shows no "-0.0".
    fixture.process(0.995f, 0.995f, kSettleFrames);
    fixture.idle(2);
    EXPECT_EQ(meter(kPeakLeft).getOldValue(), 1.0f);
    EXPECT_EQ(meter(kPeakLeft).getPeak(), 1.0f);
    EXPECT_TRUE(rowShows(kPeakLeft, 0, 1028));
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

TEST_F(EditorMeters, ClickingTheReadoutResetsTheHeldPeaks)
{
    fixture.process(fromDb(-3.0f), fromDb(-12.0f), kSettleFrames);
    fixture.process(fromDb(-36.0f), fromDb(-36.0f), kSettleFrames);
    fixture.idle();
    EXPECT_EQ(readout(), "-3.0 dB -12.0") << "held for ten seconds";
    fixture.frame().onMouseDown(CPoint(355, 351), kLButton);
    EXPECT_STREQ(fixture.view<CTextLabel>(kStatus)->getText(), "Reset peak hold");
    fixture.process(fromDb(-36.0f), fromDb(-36.0f), 2);
    fixture.idle();
    EXPECT_EQ(readout(), "-36.0 dB -36.0");
}

TEST_F(EditorMeters, TheCorrelationMarkerFollowsTheCorrelation)
{
    fixture.processSine(0.5f, 1.0f, kSecondOfFrames);
    fixture.idle(kSettleRedraws);
    EXPECT_TRUE(rowShows(kCorrelation, 0, 1036)) << "+1 puts it in the top row";
    EXPECT_TRUE(rowShows(kCorrelation, 1, 1027));

    fixture.processSine(0.5f, -1.0f, 3 * kSecondOfFrames); // the statistics swing over
    fixture.idle(2);
    for (long row = 0; row < 253; ++row)
        ASSERT_TRUE(rowShows(kCorrelation, row, 1027)) << "-1 hides the marker; row " << row;
}
