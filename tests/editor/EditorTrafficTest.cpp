// Parameter traffic, headless: the scale buttons and the readout's click (the other controls are
// driven through the library in EditorX11Test); host changes reach the controls at the next idle.
#include "EditorTestSupport.h"

#include "toolkit/CTextLabel.h"
#include "toolkit/CVuMeter.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace
{
constexpr long kTrimFader = 11, kLegend = 12, kScalePk = 13, kBypassButton = 17, kDriveFader = 18;
constexpr long kSideGainKnob = 19, kMenu = 31, kStatus = 32, kReadout = 33;
constexpr int kSettleFrames = 2048; // past the 512-frame delay

void click(CFrame& frame, CPoint where, long buttons = kLButton)
{
    frame.onMouseDown(where, buttons);
    frame.onMouseUp(where, buttons);
}

float controlValue(EditorFixture& fixture, long view)
{
    return fixture.view<CControl>(view)->getValue();
}
} // namespace

TEST(EditorTraffic, ScaleButtonsSetOutputScaleAndSwitchStripsAndLegend)
{
    EditorFixture fixture;
    fixture.openHeadless();
    click(fixture.frame(), CPoint(549, 71)); // K14
    click(fixture.frame(), CPoint(549, 71)); // lit: goes dark on press and lit again, K14 twice
    std::vector<EditCall> expected = bracketedEdits({{1, 0.5f}, {1, 0.5f}});
    expected.insert(expected.begin() + 4, {audioMasterAutomate, 1, 0.5f});
    expectHostCalls(expected);
    for (long button = 0; button < 4; ++button)
        EXPECT_EQ(controlValue(fixture, kScalePk + button), button == 2 ? 1.0f : 0.0f);
    EXPECT_EQ(fixture.frame().getView(kLegend)->getBackground()->getResourceId(), 1034);
    EXPECT_EQ(fixture.view<CVuMeter>(0)->getOnBitmap()->getResourceId(), 1030);

    // Only parameters are bracketed towards the host; a scale button edits "Output scale".
    fixture.editor().beginEdit(100);
    fixture.editor().endEdit(103);
    fixture.editor().beginEdit(tag::kPeakReadout);
    fixture.editor().endEdit(tag::kParameterCount);
    fixture.editor().beginEdit(-1);
    expectHostCalls({{audioMasterBeginEdit, 1, 0}, {audioMasterEndEdit, 1, 0}});
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
    EXPECT_TRUE(recordedEdits().empty()) << "host changes are not echoed as automation";
}

TEST(EditorTraffic, ClickingTheReadoutResetsHeldPeaksAndReopeningShowsCurrentValues)
{
    EditorFixture fixture;
    fixture.openHeadless();
    auto readout = [&] { return std::string(fixture.view<CTextLabel>(kReadout)->getText()); };
    EXPECT_EQ(readout(), "");
    fixture.idle();
    EXPECT_EQ(readout(), "-160.0 dB -160.0") << "silence";
    const float minus36Db = std::pow(10.0f, -36.0f / 20.0f);
    fixture.effect().setParameter(2, 1.0f); // bypass: output levels are the input's
    fixture.process(std::pow(10.0f, -3.0f / 20.0f), std::pow(10.0f, -12.0f / 20.0f), kSettleFrames);
    fixture.process(minus36Db, minus36Db, kSettleFrames);
    fixture.idle();
    EXPECT_EQ(readout(), "-3.0 dB -12.0") << "held for ten seconds";
    click(fixture.frame(), CPoint(355, 351));
    EXPECT_STREQ(fixture.view<CTextLabel>(kStatus)->getText(), "Reset peak hold");
    EXPECT_TRUE(recordedEdits().empty());
    fixture.process(minus36Db, minus36Db, 2);
    fixture.idle();
    EXPECT_EQ(readout(), "-36.0 dB -36.0");

    fixture.editor().close();
    EXPECT_EQ(fixture.editor().getFrame(), nullptr);
    fixture.editor().setParameter(0, 0.25f); // reaches no view while closed
    fixture.idle();
    fixture.effect().setParameter(0, 0.3f);
    fixture.openHeadless();
    fixture.openHeadless(); // a second open without a close rebuilds, leaving nothing behind
    EXPECT_EQ(fixture.frame().getNbViews(), 35);
    EXPECT_EQ(controlValue(fixture, kTrimFader), 0.3f);
    EXPECT_EQ(controlValue(fixture, kBypassButton), 1.0f);
    EXPECT_STREQ(fixture.view<CTextLabel>(kStatus)->getText(), "");
    fixture.idle();
    EXPECT_EQ(controlValue(fixture, kTrimFader), 0.3f) << "a value posted while closed is stale";
}

TEST(EditorTraffic, TheHostsKeysReachTheFocusedControl)
{
    EditorFixture fixture;
    fixture.openHeadless();
    click(fixture.frame(), CPoint(57, 292)); // focuses the side gain knob; no change
    forgetHostCalls();
    EXPECT_EQ(fixture.effect().dispatcher(effEditKeyDown, 0, VKEY_UP, nullptr, MODIFIER_SHIFT), 1);
    EXPECT_EQ(fixture.effect().dispatcher(effEditKeyDown, 0, VKEY_LEFT, nullptr, 0.0f), 1);
    EXPECT_EQ(fixture.effect().dispatcher(effEditKeyDown, 'q', 0, nullptr, 0.0f), 0);
    expectHostCalls(bracketedEdits({{4, 0.51f}, {4, 0.41f}}));
}
