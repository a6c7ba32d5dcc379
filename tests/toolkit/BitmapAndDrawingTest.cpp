// Headless renders of each view, checked pixel by pixel in the frame's back buffer.
#include "TestBitmaps.h"
#include "ToolkitTestSupport.h"

#include "toolkit/CAnimKnob.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/CMovieButton.h"
#include "toolkit/CSlider.h"
#include "toolkit/CTextLabel.h"
#include "toolkit/CVuMeter.h"
#include "toolkit/SharedImage.h"

#include <gtest/gtest.h>
#include <memory>

namespace
{
constexpr CRect kFrameRect(0, 0, 120, 80);

class DrawingTest : public ::testing::Test
{
  protected:
    DrawingTest() { frame.setBackground(backgroundBitmap.get()); }

    CColor pixel(long x, long y) { return frame.getDrawContext()->getPixel(x, y); }

    BitmapRef backgroundBitmap{kBackgroundId};
    CFrame frame{kFrameRect, nullptr, nullptr};
};

TEST(BitmapTest, LoadsSizesAndGivesAnEmptyBitmapForUnknownOrBrokenResources)
{
    BitmapRef knob(kKnobId);
    EXPECT_TRUE(knob.get()->isLoaded());
    EXPECT_EQ(knob.get()->getWidth(), kKnobSizePixels);
    EXPECT_EQ(knob.get()->getHeight(), kKnobSizePixels * kKnobFrames);
    EXPECT_EQ(knob.get()->getTransparentColor(), kWhiteCColor);

    for (long id : {999L, static_cast<long>(kCorruptPngId)})
    {
        BitmapRef missing(id);
        EXPECT_FALSE(missing.get()->isLoaded());
        EXPECT_EQ(missing.get()->getWidth(), 0);
        EXPECT_EQ(missing.get()->getHeight(), 0);
        COffscreenContext context(4, 4, kGreyCColor);
        missing.get()->draw(&context, CRect(0, 0, 4, 4));
        EXPECT_EQ(context.getPixel(1, 1), kGreyCColor);
    }
}

TEST(BitmapTest, DecodedImagesAreSharedByIdAndScaleAndLiveUntilTheLastForget)
{
    auto first = std::make_unique<BitmapRef>(kKnobId);
    const SharedImage* decoded = SharedImage::load(kKnobId, 1.0).get();
    BitmapRef second(kKnobId);
    second.get()->remember();
    EXPECT_EQ(second.get()->getNbReference(), 2);
    second.get()->forget(); // still alive; the sanitizer build checks the last forget
    EXPECT_EQ(SharedImage::load(kKnobId, 1.0).get(), decoded);
    EXPECT_NE(SharedImage::load(kTrackId, 1.0).get(), decoded);
    EXPECT_EQ(SharedImage::loadKeyed(kKnobId, 1.0, kKnobKeyColor),
              SharedImage::loadKeyed(kKnobId, 1.0, kKnobKeyColor))
        << "the keyed copy is shared per key colour";
    first.reset();
    EXPECT_EQ(SharedImage::load(kKnobId, 1.0).get(), decoded) << "the second bitmap still uses it";

    CBitmap* doubled = new CBitmap(kKnobId, 2.0);
    EXPECT_EQ(doubled->getWidth(), 2 * kKnobSizePixels) << "drawn for the scale, not stretched";
    EXPECT_EQ(doubled->getHeight(), 2 * kKnobSizePixels * kKnobFrames);
    const SharedImage* drawn = SharedImage::load(kKnobId, 2.0).get();
    EXPECT_NE(drawn, decoded);
    EXPECT_EQ(SharedImage::load(kKnobId, 2.0).get(), drawn) << "shared per scale too";
    doubled->forget();
}

// Opening an editor at a screen scale draws only the knob frames it shows, once each.
TEST(BitmapTest, AScaledFilmstripIsDrawnFrameByFrameAsFramesAreShown)
{
    CFrame doubled(CRect(0, 0, 40, 40), nullptr, nullptr, 2.0);
    CBitmap* scaledStrip = new CBitmap(kKnobId, 2.0);
    scaledStrip->setTransparentColor(kKnobKeyColor);
    auto* knob = new CAnimKnob(CRect(10, 10, 30, 30), nullptr, 1, kKnobFrames, 2 * kKnobSizePixels,
                               scaledStrip);
    knob->setTransparency(true);
    scaledStrip->forget(); // the knob holds it
    doubled.addView(knob);
    const int framesBefore = scaledFramesDrawn();
    knob->setValue(0.5f);
    doubled.drawAll();
    doubled.drawAll();
    EXPECT_EQ(scaledFramesDrawn() - framesBefore, 1) << "frame 32 only";
    EXPECT_EQ(doubled.getDrawContext()->getPixel(20, 20), knobFrameColor(32));
    EXPECT_EQ(doubled.getDrawContext()->getPixel(11, 11), kBlackCColor) << "keyed corner";
    knob->setValue(1.0f);
    doubled.drawAll();
    EXPECT_EQ(scaledFramesDrawn() - framesBefore, 2);
    EXPECT_EQ(doubled.getDrawContext()->getPixel(20, 20), knobFrameColor(64));
}

TEST_F(DrawingTest, KnobSliderAndMovieButtonShowWhatTheirValuesSay)
{
    BitmapRef strip(kKnobId), track(kTrackId), handle(kHandleId), buttonBitmap(kButtonId);
    strip.get()->setTransparentColor(kKnobKeyColor);
    auto* knob =
        new CAnimKnob(CRect(20, 20, 30, 30), nullptr, 1, kKnobFrames, kKnobSizePixels, strip.get());
    knob->setTransparency(true);
    // The handle (20 pixels high) has its top travel from row 0 to row 60, the minimum lowest.
    auto* slider = new CSlider(CRect(50, 0, 60, 80), nullptr, 2, 0, 60, handle.get(), track.get());
    auto* button = new CMovieButton(CRect(5, 5, 15, 15), nullptr, 3, 10, buttonBitmap.get());
    for (CView* view :
         {static_cast<CView*>(knob), static_cast<CView*>(slider), static_cast<CView*>(button)})
        frame.addView(view);

    const struct
    {
        CControl* control;
        float value;
        CPoint at;
        CColor color;
    } cases[] = {
        // The knob shows frame floor(value x 64); its keyed corners show the background.
        {knob, 0.0f, {25, 25}, knobFrameColor(0)},
        {knob, 0.5f, {25, 25}, knobFrameColor(32)},
        {knob, 0.999f, {25, 25}, knobFrameColor(63)},
        {knob, 1.0f, {25, 25}, knobFrameColor(64)},
        {knob, 0.0157f, {25, 25}, knobFrameColor(1)},
        {knob, 1.5f, {25, 25}, knobFrameColor(64)},
        {knob, 0.5f, {20, 20}, kBackgroundColor},
        {slider, 0.0f, {55, 60}, kHandleColor},
        {slider, 0.0f, {55, 59}, kTrackColor},
        {slider, 1.0f, {55, 19}, kHandleColor},
        {slider, 1.0f, {55, 20}, kTrackColor},
        {slider, 0.5f, {55, 30}, kHandleColor},
        {slider, 0.5f, {55, 29}, kTrackColor},
        {slider, 0.25f, {55, 64}, kHandleColor},
        {slider, 0.25f, {55, 65}, kTrackColor},
        // The button shows frame 0 only at the minimum.
        {button, 0.0f, {10, 10}, kButtonOffColor},
        {button, 1.0f, {10, 10}, kButtonOnColor},
        {button, 0.3f, {10, 10}, kButtonOnColor},
    };
    for (const auto& c : cases)
    {
        c.control->setValue(c.value);
        frame.idle();
        EXPECT_EQ(pixel(c.at.x, c.at.y), c.color)
            << "tag " << c.control->getTag() << " value " << c.value << " at " << c.at.y;
    }

    knob->setTransparency(false);
    frame.idle();
    EXPECT_EQ(pixel(20, 20), kKnobKeyColor) << "opaque drawing keeps the key colour";
}

class MeterTest : public DrawingTest
{
  protected:
    MeterTest()
    {
        meter = new CVuMeter(CRect(100, 10, 104, 60), lit.get(), unlit.get(), kStripHeightPixels);
        frame.addView(meter);
    }

    // The first row of the meter that shows the lit strip, from the strip's own row colours.
    long litSplitRow()
    {
        for (long row = 0; row < kStripHeightPixels; ++row)
        {
            const CColor color = pixel(101, 10 + row);
            if (color.red == 200)
            {
                EXPECT_EQ(color.green, row) << "lit strip drawn from its own row";
                return row;
            }
            EXPECT_EQ(color, (CColor{0, static_cast<unsigned char>(row), 200, 255}));
        }
        return kStripHeightPixels;
    }

    BitmapRef lit{kLitStripId};
    BitmapRef unlit{kUnlitStripId};
    CVuMeter* meter;
};

TEST_F(MeterTest, FallsByTheFallStepPerRedrawAndRisesAtOnceOrTheOtherWayWithANegativeStep)
{
    meter->setValue(0.5f);
    // The displayed value starts at full scale and falls 0.1 per redraw down to the value.
    for (long expectedSplit : {5L, 10L, 15L, 20L, 25L, 25L})
    {
        frame.idle();
        EXPECT_EQ(litSplitRow(), expectedSplit);
    }
    EXPECT_FALSE(meter->isDirty());
    meter->setValue(0.96f);
    frame.idle();
    EXPECT_EQ(litSplitRow(), 2); // trunc(0.04 x 50 + 0.5) = 2
    meter->setValue(-3.0f);      // clamped when drawn
    frame.idle();
    EXPECT_FLOAT_EQ(meter->getOldValue(), 0.86f);

    for (bool offscreen : {true, false})
    {
        meter->setUseOffscreen(offscreen);
        meter->setDecreaseStepValue(-0.05f);
        meter->setOldValue(1.0f);
        meter->setValue(0.2f);
        frame.idle();
        EXPECT_EQ(litSplitRow(), 40) << "falls at once";
        meter->setValue(1.0f);
        frame.idle();
        EXPECT_EQ(litSplitRow(), 38); // 0.25: trunc(37.5 + 0.5)
        frame.idle();
        EXPECT_EQ(litSplitRow(), 35);
    }
}

TEST_F(DrawingTest, LabelTextIsCentredOverItsBackgroundColourWithOrWithoutFrame)
{
    auto* label = new CTextLabel(CRect(10, 40, 110, 60), "HHHH", nullptr, kNoFrame);
    label->setFont(kNormalFontSmaller);
    label->setFontColor(kWhiteCColor);
    label->setBackColor(CColor{72, 72, 72, 255});
    frame.addView(label);
    frame.idle();

    long left = 200, right = -1, top = 200, bottom = -1;
    for (long y = 40; y < 60; ++y)
    {
        for (long x = 10; x < 110; ++x)
        {
            if (pixel(x, y).red > 160)
            {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    ASSERT_GE(right, left) << "text was drawn";
    EXPECT_NEAR((left + right) / 2.0, 59.5, 1.0);
    EXPECT_NEAR((top + bottom) / 2.0, 49.5, 1.5);
    EXPECT_LE(bottom - top + 1, 10) << "font 5 is 10 pixels high";
    EXPECT_EQ(pixel(10, 40), (CColor{72, 72, 72, 255})) << "no frame";

    label->setStyle(0);
    label->setFrameColor(CColor{255, 0, 0, 255});
    frame.idle();
    EXPECT_EQ(pixel(10, 40), (CColor{255, 0, 0, 255}));
    EXPECT_EQ(pixel(109, 59), (CColor{255, 0, 0, 255}));
}
} // namespace
