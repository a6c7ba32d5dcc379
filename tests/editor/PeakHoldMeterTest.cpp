// PeakHoldMeter on its own, drawn into an image: the marker's row and colour, and values that are
// out of range or not numbers.
#include "EditorTestSupport.h"

#include "editor/PeakHoldMeter.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
constexpr long kLit = 1028, kUnlit = 1027, kRows = 253;

class MeterOnImage
{
  public:
    explicit MeterOnImage(float fallStep, long lit = kLit, long unlit = kUnlit)
        : litStrip(new CBitmap(lit)), unlitStrip(new CBitmap(unlit)),
          meter(CRect(0, 0, 9, kRows), litStrip, unlitStrip, kRows), image(9, kRows)
    {
        meter.setDecreaseStepValue(fallStep);
    }
    ~MeterOnImage()
    {
        litStrip->forget();
        unlitStrip->forget();
    }
    float draw()
    {
        meter.draw(&image);
        return meter.getOldValue();
    }
    // Rows from the top that show the lit strip's own pixel there.
    bool showsLit(long row) const { return image.getPixel(4, row) == lit.at(4, row); }
    bool showsUnlit(long row) const { return image.getPixel(4, row) == unlit.at(4, row); }

    CBitmap* litStrip;
    CBitmap* unlitStrip;
    PeakHoldMeter meter;
    COffscreenContext image;
    BitmapPixels lit{kLit};
    BitmapPixels unlit{kUnlit};
};
} // namespace

TEST(PeakHoldMeter, TheMarkerTakesTheLitStripsColourAtItsRow)
{
    MeterOnImage level(1.0f);
    level.meter.setPeak(1.0f / 7.0f);
    level.draw(); // the bar falls to empty in one redraw
    EXPECT_TRUE(level.showsUnlit(216));
    EXPECT_TRUE(level.showsLit(217)) << "one row, at trunc(6/7 x 253 + 0.5)";
    EXPECT_TRUE(level.showsUnlit(218));

    level.meter.setPeak(1.5f);
    EXPECT_EQ(level.meter.getPeak(), 1.0f);
    level.draw();
    EXPECT_TRUE(level.showsLit(0));
    EXPECT_TRUE(level.showsUnlit(1));

    level.meter.setPeak(-0.5f);
    EXPECT_EQ(level.meter.getPeak(), 0.0f);
    level.draw();
    for (long row = 0; row < kRows; ++row)
        ASSERT_TRUE(level.showsUnlit(row)) << "a peak of 0 hides the marker; row " << row;
}

TEST(PeakHoldMeter, OutOfRangeValuesAreClampedWhenDrawnAndNotANumberReadsEmpty)
{
    MeterOnImage level(0.1f);
    level.meter.setValue(-600.0f);
    EXPECT_EQ(level.meter.getValue(), -600.0f) << "kept as given until drawn";
    level.meter.setValue(std::nanf(""));
    level.meter.setPeak(std::nanf(""));
    EXPECT_EQ(level.meter.getValue(), 0.0f);
    EXPECT_EQ(level.meter.getPeak(), 0.0f);
    level.meter.setValue(3.0f);
    EXPECT_EQ(level.draw(), 1.0f);

    level.meter.setValueMapper([](float value) { return value / 2.0f; });
    level.meter.setValueMapper(nullptr); // keeps the mapper
    level.meter.setValue(0.5f);
    level.meter.setPeak(0.5f);
    EXPECT_EQ(level.meter.getValue(), 0.25f);
    EXPECT_EQ(level.meter.getPeak(), 0.25f);
}
