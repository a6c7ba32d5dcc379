// The window as built by open(): its 34 views in order, what each draws for programs 0 and 7,
// and the headless renders saved beside the tests.
#include "EditorTestSupport.h"

#include "editor/PeakHoldMeter.h"
#include "toolkit/COptionMenu.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
constexpr long kNone = -1;
constexpr CColor kKnobKey{232, 225, 207, 255};
constexpr CColor kDisplayDark{72, 72, 72, 255};

struct ExpectedView
{
    CRect rect;
    long tag;    // kNone: not checked (meters and labels without a listener)
    long bitmap; // the background, or a meter's lit strip; kNone: none
};

// Program 0 selects the PK scale.
const ExpectedView kViews[] = {
    {{330, 71, 339, 324}, kNone, 1028}, {{371, 71, 380, 324}, kNone, 1028},
    {{340, 71, 344, 324}, kNone, 1028}, {{366, 71, 370, 324}, kNone, 1028},
    {{299, 71, 308, 324}, kNone, 1036}, {{231, 71, 240, 324}, kNone, 1027},
    {{272, 71, 281, 324}, kNone, 1027}, {{221, 71, 230, 324}, kNone, 1027},
    {{282, 71, 291, 324}, kNone, 1027}, {{241, 71, 245, 324}, kNone, 1027},
    {{267, 71, 271, 324}, kNone, 1027}, {{406, 55, 421, 341}, 0, 1025},
    {{346, 69, 364, 327}, kNone, 1032}, {{488, 61, 510, 81}, 100, 1042},
    {{513, 61, 535, 81}, 101, 1042},    {{538, 61, 560, 81}, 102, 1042},
    {{563, 61, 585, 81}, 103, 1042},    {{443, 60, 476, 93}, 2, 1041},
    {{181, 55, 196, 341}, 3, 1025},     {{22, 257, 92, 327}, 4, 1040},
    {{102, 304, 152, 354}, 5, 1037},    {{102, 228, 152, 278}, 6, 1037},
    {{21, 58, 71, 108}, 7, 1037},       {{81, 87, 151, 157}, 8, 1039},
    {{21, 134, 71, 184}, 9, 1037},      {{448, 134, 498, 184}, 10, 1038},
    {{530, 134, 580, 184}, 11, 1037},   {{448, 228, 498, 278}, 12, 1037},
    {{448, 304, 498, 354}, 13, 1037},   {{510, 257, 580, 327}, 14, 1039},
    {{130, 181, 152, 201}, 15, 1042},   {{390, 19, 425, 29}, 16, 1043},
    {{209, 19, 390, 29}, kNone, 1043},  {{320, 346, 390, 356}, 104, kNone},
    {{173, 0, 425, 30}, 105, kNone}, // the size menu over the display strip
};
constexpr long kViewCount = sizeof(kViews) / sizeof(kViews[0]);
constexpr long kFirstKnob = 19;

long bitmapOf(CView* view)
{
    if (auto* meter = dynamic_cast<PeakHoldMeter*>(view))
        return meter->getOnBitmap()->getResourceId();
    return view->getBackground() ? view->getBackground()->getResourceId() : kNone;
}

// Pixels of rect that differ from the bitmap's part at source; where the bitmap has the knobs'
// key colour the panel must show through instead.
int mismatches(EditorFixture& fixture, const CRect& rect, long bitmapId, CPoint source,
               bool keyed = false)
{
    const auto bitmap = bitmapImage(bitmapId);
    const auto panel = bitmapImage(1024);
    int count = 0;
    for (long y = rect.top; y < rect.bottom; ++y)
    {
        for (long x = rect.left; x < rect.right; ++x)
        {
            CColor expected = bitmap->getPixel(source.x + x - rect.left, source.y + y - rect.top);
            if (keyed && expected.sameRgb(kKnobKey))
                expected = panel->getPixel(x, y);
            count += !fixture.pixel(x, y).sameRgb(expected);
        }
    }
    return count;
}

int textPixels(EditorFixture& fixture, const CRect& rect, const CColor& background)
{
    int count = 0;
    for (long y = rect.top; y < rect.bottom; ++y)
        for (long x = rect.left; x < rect.right; ++x)
            count += !fixture.pixel(x, y).sameRgb(background);
    return count;
}

// What a part of the window must show: the bitmap's rows from sourceTop.
struct RenderedPart
{
    CRect rect;
    long bitmap;
    long sourceTop; // pixels
    const char* what;
    bool keyed = false;
};

RenderedPart knob(EditorFixture& fixture, long index)
{
    const ExpectedView& view = kViews[index];
    const long frame = std::lround(std::floor(fixture.effect().getParameter(view.tag) * 64));
    return {view.rect, view.bitmap, frame * view.rect.height(), "knob", true};
}

// scale: 0 for PK, 1 for K12. The fader handles are 34 pixels high over their track.
void expectControlsShowProgram(EditorFixture& fixture, int program, long scale, long handleTopTrim,
                               long handleTopDrive)
{
    SCOPED_TRACE("program " + std::to_string(program));
    const CRect trim = kViews[11].rect, drive = kViews[18].rect;
    std::vector<RenderedPart> parts = {
        {kViews[13 + scale].rect, 1042, 20, "lit scale button"},
        {kViews[14 - scale].rect, 1042, 0, "dark scale button"},
        {kViews[17].rect, 1041, 0, "Bypass off"},
        {kViews[30].rect, 1042, 0, "ISP off"},
        {kViews[12].rect, 1032 + scale, 0, "legend"},
        {CRect(trim.left, handleTopTrim, trim.right, handleTopTrim + 34), 1026, 0, "trim handle"},
        {CRect(drive.left, handleTopDrive, drive.right, handleTopDrive + 34), 1026, 0, "drive"},
        {CRect(drive.left, drive.top, drive.right, handleTopDrive), 1025, 0, "drive track"},
        knob(fixture, 19),
        knob(fixture, 20),
        knob(fixture, 23),
        knob(fixture, 25),
    };
    // The output meters fall from full by 0.1 per redraw: the lower half is still lit.
    for (long meter = 0; meter < 4; ++meter)
    {
        const CRect& rect = kViews[meter].rect;
        parts.push_back({CRect(rect.left, rect.top + 127, rect.right, rect.bottom), 1028 + scale,
                         127, "output meter in the scale's strip"});
    }
    for (const RenderedPart& part : parts)
    {
        EXPECT_EQ(
            mismatches(fixture, part.rect, part.bitmap, CPoint(0, part.sourceTop), part.keyed), 0)
            << part.what << " at " << part.rect.left << "," << part.rect.top;
    }
    EXPECT_GT(textPixels(fixture, kViews[31].rect, kBlackCColor), 20) << "menu text";
}
} // namespace

TEST(EditorLayout, OpenBuildsTheViewsInOrderBoundToTheParameters)
{
    EditorFixture fixture;
    fixture.effect().setParameter(5, 0.3f); // the window is closed: only the effect keeps it
    fixture.openHeadless();
    ASSERT_EQ(fixture.frame().getNbViews(), kViewCount);
    EXPECT_EQ(fixture.frame().getViewSize(), CRect(0, 0, 600, 400));
    for (long index = 0; index < kViewCount; ++index)
    {
        SCOPED_TRACE("view " + std::to_string(index + 1));
        const ExpectedView& expected = kViews[index];
        CView* view = fixture.frame().getView(index);
        EXPECT_EQ(view->getViewSize(), expected.rect);
        EXPECT_EQ(bitmapOf(view), expected.bitmap);
        auto* control = dynamic_cast<CControl*>(view);
        if (expected.tag == kNone)
            continue;
        EXPECT_EQ(control->getTag(), expected.tag);
        EXPECT_EQ(control->getListener(), &fixture.editor());
        if (expected.tag < 17) // the scale buttons' tags are 100 to 104
        {
            EXPECT_EQ(control->getValue(), fixture.effect().getParameter(expected.tag));
        }
    }
    EXPECT_FLOAT_EQ(fixture.view<CControl>(20)->getValue(), 0.3f);
    EXPECT_FLOAT_EQ(fixture.view<CControl>(11)->getDefaultValue(), 1.0f);
    EXPECT_FLOAT_EQ(fixture.view<CControl>(18)->getDefaultValue(), 0.5239f);
    EXPECT_FLOAT_EQ(fixture.view<CControl>(kFirstKnob)->getDefaultValue(), 0.5f);
    auto* menu = fixture.view<COptionMenu>(31);
    ASSERT_EQ(menu->getNbEntries(), 7);
    EXPECT_STREQ(menu->getEntry(0), "64 bit");
    EXPECT_STREQ(menu->getEntry(6), " 8 bit");
    EXPECT_FALSE(fixture.frame().getView(12)->getMouseEnabled()) << "the legend";
}

TEST(EditorLayout, ProgramsZeroAndSevenDrawTheirControlsStripsAndLegend)
{
    EditorFixture fixture;
    fixture.openHeadless();
    fixture.idle();
    fixture.frame().writePng(testOutputPath("editor-program-0.png").c_str());
    expectControlsShowProgram(fixture, 0, 0, 55, 176);
    EXPECT_EQ(mismatches(fixture, kViews[32].rect, 1043, CPoint(0, 0)), 0) << "empty status line";

    fixture.effect().setProgram(7);
    fixture.idle();
    fixture.frame().writePng(testOutputPath("editor-program-7.png").c_str());
    expectControlsShowProgram(fixture, 7, 1, 55, 141);
    EXPECT_GT(textPixels(fixture, kViews[33].rect, kDisplayDark), 20) << "readout text";
}

// A session in full swing: loud stereo programme through the limiter and soft clipper on the K14
// scale, then bypass and inter-sample peak detection switched on while the meters still fall.
TEST(EditorLayout, ABusyWindowLightsItsSwitchesScaleAndMeters)
{
    EditorFixture fixture;
    fixture.effect().setProgram(2);
    fixture.effect().setParameter(1, 0.5f); // K14
    fixture.openHeadless();
    constexpr int kFrames = 44100;
    std::vector<float> left(kFrames), right(kFrames);
    for (int frame = 0; frame < kFrames; ++frame)
    {
        const float t = float(frame) / 44100.0f;
        left[frame] = 0.9f * std::sin(2.0f * float(M_PI) * 110.0f * t) +
                      0.3f * std::sin(2.0f * float(M_PI) * 1870.0f * t);
        right[frame] = 0.8f * std::sin(2.0f * float(M_PI) * 110.0f * t + 0.6f);
    }
    fixture.process(left, right);
    fixture.idle(25);
    fixture.effect().setParameter(2, 1.0f);  // bypass
    fixture.effect().setParameter(15, 1.0f); // inter-sample peaks
    fixture.process(left, right);
    fixture.idle(2);
    fixture.frame().writePng(testOutputPath("editor-busy.png").c_str());

    const RenderedPart parts[] = {
        {kViews[15].rect, 1042, 20, "lit K14 button"}, {kViews[13].rect, 1042, 0, "dark PK button"},
        {kViews[17].rect, 1041, 33, "Bypass on"},      {kViews[30].rect, 1042, 20, "ISP on"},
        {kViews[12].rect, 1034, 0, "K14 legend"},
    };
    for (const RenderedPart& part : parts)
        EXPECT_EQ(mismatches(fixture, part.rect, part.bitmap, CPoint(0, part.sourceTop)), 0)
            << part.what;
    for (long meter = 0; meter < 4; ++meter)
    {
        const CRect& rect = kViews[meter].rect;
        const CRect bottom(rect.left, rect.bottom - 40, rect.right, rect.bottom);
        EXPECT_EQ(mismatches(fixture, bottom, 1030, CPoint(0, rect.height() - 40)), 0)
            << "output meter " << meter << " lit in the K14 strip";
    }
    EXPECT_GT(textPixels(fixture, kViews[33].rect, kDisplayDark), 20) << "readout text";
}
