// Both directions of parameter traffic, headless: user input on the frame reaches the host as
// bracketed automation; host changes reach the controls at the next idle.
#include "EditorTestSupport.h"

#include "toolkit/COptionMenuPopup.h"
#include "toolkit/CTextLabel.h"
#include "toolkit/CVuMeter.h"

#include <gtest/gtest.h>

namespace
{
constexpr long kTrimFader = 11, kLegend = 12, kScalePk = 13, kBypassButton = 17, kDriveFader = 18;
constexpr long kSideGainKnob = 19, kMenu = 31, kStatus = 32, kReadout = 33;

void click(CFrame& frame, CPoint where, long buttons = kLButton)
{
    frame.onMouseDown(where, buttons);
    frame.onMouseUp(where, buttons);
}

void drag(CFrame& frame, CPoint from, CPoint to)
{
    frame.onMouseDown(from, kLButton);
    frame.onMouseMoved(to, kLButton);
    frame.onMouseUp(to, kLButton);
}

float controlValue(EditorFixture& fixture, long view)
{
    return fixture.view<CControl>(view)->getValue();
}
} // namespace

TEST(EditorTraffic, UserInputReachesTheHostAsBracketedAutomation)
{
    EditorFixture fixture;
    fixture.openHeadless();
    CFrame& frame = fixture.frame();

    drag(frame, CPoint(188, 193), CPoint(188, 130)); // drive handle (0.52) up 63 of 252 pixels
    expectHostCalls({{audioMasterBeginEdit, 3, 0},
                     {audioMasterAutomate, 3, 0.77f},
                     {audioMasterEndEdit, 3, 0}});
    EXPECT_NEAR(fixture.effect().getParameter(3), 0.77f, 1e-6f);

    drag(frame, CPoint(57, 292), CPoint(57, 252)); // side gain knob up 40 of 200 pixels
    expectHostCalls(
        {{audioMasterBeginEdit, 4, 0}, {audioMasterAutomate, 4, 0.7f}, {audioMasterEndEdit, 4, 0}});
    click(frame, CPoint(57, 292), kLButton | kControl);
    expectHostCalls(
        {{audioMasterBeginEdit, 4, 0}, {audioMasterAutomate, 4, 0.5f}, {audioMasterEndEdit, 4, 0}});
    click(frame, CPoint(413, 70), kLButton | kControl); // trim handle
    expectHostCalls(
        {{audioMasterBeginEdit, 0, 0}, {audioMasterAutomate, 0, 1.0f}, {audioMasterEndEdit, 0, 0}});

    click(frame, CPoint(459, 76));
    expectHostCalls(
        {{audioMasterBeginEdit, 2, 0}, {audioMasterAutomate, 2, 1.0f}, {audioMasterEndEdit, 2, 0}});

    frame.onMouseDown(CPoint(407, 24), kLButton);
    ASSERT_NE(frame.getModalView(), nullptr) << "the word-length list is open";
    const CRect list = frame.getModalView()->getViewSize();
    click(frame, CPoint(list.left + 5, list.top + 6 * COptionMenuPopup::kRowHeightPixels + 7));
    expectHostCalls({{audioMasterBeginEdit, 16, 0},
                     {audioMasterAutomate, 16, 6.0f},
                     {audioMasterEndEdit, 16, 0}});
    EXPECT_EQ(fixture.effect().getParameter(16), 6.0f);
}

TEST(EditorTraffic, ScaleButtonsSetOutputScaleAndSwitchStripsAndLegend)
{
    EditorFixture fixture;
    fixture.openHeadless();
    for (int pass = 0; pass < 2; ++pass)
    {
        click(fixture.frame(), CPoint(549, 71)); // K14
        if (pass == 0)
            expectHostCalls({{audioMasterBeginEdit, 1, 0},
                             {audioMasterAutomate, 1, 0.5f},
                             {audioMasterEndEdit, 1, 0}});
        else // the lit button goes dark on press and lit again: both send K14 again
            expectHostCalls({{audioMasterBeginEdit, 1, 0},
                             {audioMasterAutomate, 1, 0.5f},
                             {audioMasterAutomate, 1, 0.5f},
                             {audioMasterEndEdit, 1, 0}});
        for (long button = 0; button < 4; ++button)
            EXPECT_EQ(controlValue(fixture, kScalePk + button), button == 2 ? 1.0f : 0.0f);
        EXPECT_EQ(fixture.frame().getView(kLegend)->getBackground()->getResourceId(), 1034);
        EXPECT_EQ(fixture.view<CVuMeter>(0)->getOnBitmap()->getResourceId(), 1030);
    }
}

TEST(EditorTraffic, HostChangesMoveTheControlsAtTheNextIdle)
{
    EditorFixture fixture;
    fixture.openHeadless();
    fixture.effect().setParameter(4, 0.9f);
    fixture.effect().setParameter(1, 0.125f); // already K12
    fixture.effect().setParameter(16, 9.0f);  // no such menu entry
    EXPECT_EQ(controlValue(fixture, kSideGainKnob), 0.5f) << "nothing moves before the idle";
    EXPECT_EQ(controlValue(fixture, kScalePk), 1.0f);
    fixture.idle();
    EXPECT_EQ(controlValue(fixture, kSideGainKnob), 0.9f);
    EXPECT_EQ(controlValue(fixture, kScalePk), 0.0f);
    EXPECT_EQ(controlValue(fixture, kScalePk + 1), 1.0f);
    EXPECT_EQ(controlValue(fixture, kMenu), 0.0f);

    fixture.effect().setProgram(7);
    fixture.idle();
    EXPECT_EQ(controlValue(fixture, kDriveFader), 0.66f);
    EXPECT_EQ(controlValue(fixture, kSideGainKnob), 0.7f);
    EXPECT_TRUE(recordedHostCalls().empty()) << "host changes are not echoed as automation";
}

TEST(EditorTraffic, ReopeningShowsCurrentValuesAndAnEmptyStatusLine)
{
    EditorFixture fixture;
    fixture.openHeadless();
    click(fixture.frame(), CPoint(355, 351));
    EXPECT_STREQ(fixture.view<CTextLabel>(kStatus)->getText(), "Reset peak hold");
    EXPECT_STREQ(fixture.view<CTextLabel>(kReadout)->getText(), "");
    fixture.idle();
    EXPECT_STREQ(fixture.view<CTextLabel>(kReadout)->getText(), "-160.0 dB -160.0");
    EXPECT_TRUE(recordedHostCalls().empty());

    fixture.editor().close();
    EXPECT_EQ(fixture.editor().getFrame(), nullptr);
    fixture.editor().setParameter(0, 0.25f); // reaches no view while closed
    fixture.idle();
    fixture.effect().setParameter(0, 0.3f);
    fixture.effect().setParameter(2, 1.0f);
    fixture.openHeadless();
    fixture.openHeadless(); // a second open without a close rebuilds, leaving nothing behind
    EXPECT_EQ(fixture.frame().getNbViews(), 34);
    EXPECT_EQ(controlValue(fixture, kTrimFader), 0.3f);
    EXPECT_EQ(controlValue(fixture, kBypassButton), 1.0f);
    EXPECT_STREQ(fixture.view<CTextLabel>(kStatus)->getText(), "");
    fixture.idle();
    EXPECT_EQ(controlValue(fixture, kTrimFader), 0.3f) << "a value posted while closed is stale";
}
