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

TEST(BitmapTest, DecodedImagesAreSharedByIdAndLiveUntilTheLastForget)
{
    auto first = std::make_unique<BitmapRef>(kKnobId);
    const SharedImage* decoded = SharedImage::load(kKnobId).get();
    BitmapRef second(kKnobId);
    second.get()->remember();
    EXPECT_EQ(second.get()->getNbReference(), 2);
    second.get()->forget(); // still alive; the sanitizer build checks the last forget
    EXPECT_EQ(SharedImage::load(kKnobId).get(), decoded);
    EXPECT_NE(SharedImage::load(kTrackId).get(), decoded);
    EXPECT_EQ(SharedImage::loadKeyed(kKnobId, kKnobKeyColor),
              SharedImage::loadKeyed(kKnobId, kKnobKeyColor))
        << "the keyed copy is shared per key colour";
    first.reset();
    EXPECT_EQ(SharedImage::load(kKnobId).get(), decoded) << "the second bitmap still uses it";
}

TEST_F(DrawingTest, KnobShowsFrameFloorOfValueTimes64AndKeyedCornersShowTheBackground)
{
    BitmapRef strip(kKnobId);
    strip.get()->setTransparentColor(kKnobKeyColor);
    auto* knob =
        new CAnimKnob(CRect(20, 20, 30, 30), nullptr, 1, kKnobFrames, kKnobSizePixels, strip.get());
    knob->setTransparency(true);
    frame.addView(knob);

    const struct
    {
        float value;
        int frame;
    } cases[] = {{0.0f, 0}, {0.5f, 32}, {0.999f, 63}, {1.0f, 64}, {0.0157f, 1}, {1.5f, 64}};
    for (const auto& c : cases)
    {
        knob->setValue(c.value);
        frame.idle();
        EXPECT_EQ(pixel(25, 25), knobFrameColor(c.frame)) << "value " << c.value;
        EXPECT_EQ(pixel(20, 20), kBackgroundColor) << "keyed corner";
    }

    knob->setTransparency(false);
    frame.idle();
    EXPECT_EQ(pixel(20, 20), kKnobKeyColor) << "opaque drawing keeps the key colour";
}

TEST_F(DrawingTest, SliderHandleSitsWhereTheValueSaysWithTheMinimumAtTheBottom)
{
    BitmapRef track(kTrackId);
    BitmapRef handle(kHandleId);
    // The handle's top travels from row 0 to row 60 (60 pixels).
    auto* slider = new CSlider(CRect(50, 0, 60, 80), nullptr, 1, 0, 60, handle.get(), track.get());
    frame.addView(slider);
    for (const auto& [value, top] : {std::pair{0.0f, 60L}, {1.0f, 0L}, {0.5f, 30L}, {0.25f, 45L}})
    {
        slider->setValue(value);
        frame.idle();
        EXPECT_EQ(pixel(55, top), kHandleColor) << "value " << value;
        EXPECT_EQ(pixel(55, top + 19), kHandleColor) << "value " << value;
        EXPECT_EQ(pixel(55, top > 0 ? top - 1 : top + 20), kTrackColor) << "value " << value;
    }
}

TEST_F(DrawingTest, MovieButtonShowsFrameZeroOnlyAtTheMinimum)
{
    BitmapRef bitmap(kButtonId);
    auto* button = new CMovieButton(CRect(5, 5, 15, 15), nullptr, 1, 10, bitmap.get());
    frame.addView(button);
    for (const auto& [value, color] :
         {std::pair{0.0f, kButtonOffColor}, {1.0f, kButtonOnColor}, {0.3f, kButtonOnColor}})
    {
        button->setValue(value);
        frame.idle();
        EXPECT_EQ(pixel(10, 10), color) << "value " << value;
    }
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

TEST_F(MeterTest, FallsByTheFallStepPerRedrawAndRisesAtOnce)
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
}

TEST_F(MeterTest, NegativeFallStepFallsAtOnceAndRisesSlowlyWithOrWithoutOffscreen)
{
    for (bool offscreen : {true, false})
    {
        meter->setUseOffscreen(offscreen);
        meter->setDecreaseStepValue(-0.05f);
        meter->setOldValue(1.0f);
        meter->setValue(0.2f);
        frame.idle();
        EXPECT_EQ(litSplitRow(), 40);
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
        for (long x = 10; x < 110; ++x)
            if (pixel(x, y).red > 160)
            {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
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
