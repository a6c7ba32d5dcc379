// The "Loudness and history" panel at 100 % and 200 %: shown and hidden from the display
// strip's menu, the editor's size and the host's resize following, the choice remembered, the
// readouts showing the engine's figures (also those counted while the editor was closed), and
// the reset.
#include "EditorTestSupport.h"

#include "editor/EngineMeters.h"
#include "editor/LoudnessPanel.h"
#include "editor/ScaleSetting.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/CTextLabel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

namespace
{
constexpr long kSizeMenu = 34, kStatus = 32;
constexpr long kPanel = 35, kTargetMenu = 36, kSpanMenu = 37, kResetButton = 38;
constexpr double kTwoPi = 6.283185307179586;
constexpr int kRateHz = 44100;

std::string panelSettingPath()
{
    return (std::filesystem::path(scaleSettingPath()).parent_path() / "loudness-panel").string();
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Seconds of a 1 kHz tone at levelDb on both channels, through processReplacing in blocks.
void playTone(EditorFixture& fixture, double seconds, double levelDb, int& phase)
{
    constexpr int kBlock = 512;
    const double amplitude = std::pow(10.0, levelDb / 20.0);
    for (int done = 0; done < seconds * kRateHz; done += kBlock)
    {
        std::vector<float> block(kBlock);
        for (float& sample : block)
            sample = static_cast<float>(amplitude * std::sin(kTwoPi * 1000.0 * phase++ / kRateHz));
        fixture.process(block, block);
    }
}

class LoudnessPanelTest : public ::testing::TestWithParam<double>
{
  protected:
    double scale() const { return GetParam(); }
    long px(double framePx) const { return std::lround(framePx * scale()); }
    // Opens the display strip's menu and chooses its last entry, the panel.
    void chooseThePanelEntry(EditorFixture& fixture)
    {
        CPoint strip(px(300), px(10));
        fixture.frame().onMouseDown(strip, kRButton);
        auto* menu = fixture.view<COptionMenu>(kSizeMenu);
        ASSERT_TRUE(menu->isPopupOpen());
        ASSERT_EQ(menu->getNbEntries(), 10);
        // The list opens under the strip, one row of 14 frame pixels per entry.
        CPoint row(px(300), px(30 + 9 * 14 + 7));
        fixture.frame().onMouseDown(row, kLButton);
        fixture.frame().onMouseUp(row, kLButton);
    }
};

TEST_P(LoudnessPanelTest, ShownAndHiddenFromTheMenuTheSizeFollowingAndRemembered)
{
    EditorFixture other(scale()); // an instance opened later
    EditorFixture fixture(scale());
    fixture.openHeadless();
    EXPECT_EQ(fixture.frame().getViewSize(), CRect(0, 0, px(600), px(400))) << "hidden at first";
    setHostAcceptsSizeWindow(true);
    chooseThePanelEntry(fixture);
    expectHostCalls(
        {{audioMasterSizeWindow, static_cast<VstInt32>(px(600)), static_cast<float>(px(560))}});
    EXPECT_EQ(readFile(panelSettingPath()), "1\n");
    fixture.idle();
    EXPECT_EQ(fixture.frame().getViewSize(), CRect(0, 0, px(600), px(560)));
    auto* panel = fixture.view<LoudnessPanel>(kPanel);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->getViewSize(), CRect(0, px(400), px(600), px(560)));
    EXPECT_STREQ(fixture.view<COptionMenu>(kSizeMenu)->getEntry(9), "\u2022 Loudness panel");

    // Another instance opens with it; hiding it asks for the editor's own size again.
    EXPECT_EQ(other.editor().getRect(), CRect(0, 0, px(600), px(560)));
    chooseThePanelEntry(fixture);
    expectHostCalls(
        {{audioMasterSizeWindow, static_cast<VstInt32>(px(600)), static_cast<float>(px(400))}});
    fixture.idle();
    EXPECT_EQ(fixture.frame().getViewSize(), CRect(0, 0, px(600), px(400)));
    EXPECT_EQ(fixture.view<LoudnessPanel>(kPanel), nullptr);
    EXPECT_EQ(readFile(panelSettingPath()), "0\n");
}

TEST_P(LoudnessPanelTest, AHostThatRefusesGetsThePanelAtTheNextOpening)
{
    EditorFixture fixture(scale());
    fixture.openHeadless();
    chooseThePanelEntry(fixture);
    expectHostCalls(
        {{audioMasterSizeWindow, static_cast<VstInt32>(px(600)), static_cast<float>(px(560))}});
    fixture.idle();
    EXPECT_EQ(fixture.frame().getViewSize(), CRect(0, 0, px(600), px(400)));
    EXPECT_STREQ(fixture.view<CTextLabel>(kStatus)->getText(),
                 "Loudness panel at the next opening");
    fixture.editor().close();
    EXPECT_EQ(fixture.editor().getRect(), CRect(0, 0, px(600), px(560)));
}

INSTANTIATE_TEST_SUITE_P(Scales, LoudnessPanelTest, ::testing::Values(1.0, 2.0));

// Readouts and reset, with the editor closed for part of the programme. (The output lags the
// input by 512 frames, so each stretch is measured that much later.)
TEST(LoudnessPanel, TheReadoutsCountWhileTheEditorIsClosedAndTheResetStartsAfresh)
{
    EditorFixture fixture(1.0);
    rememberPanelShown(true);
    fixture.openHeadless();
    int phase = 0;
    playTone(fixture, 2.0, -20.0, phase);
    fixture.idle();
    fixture.editor().close();
    // Closed: a louder stretch the editor never idles through.
    playTone(fixture, 6.0, -16.0, phase);
    fixture.effect().waitUntilLoudnessMeasured();
    const LoudnessFigures counted = fixture.effect().getLoudness();
    // The tone passes program 0 within 0.2 dB at these levels, and a 1 kHz tone at -x dBFS reads
    // -x LUFS: the integrated loudness is the energy mean of both stretches.
    const double expected = 10.0 * std::log10((2.0 * 0.01 + 6.0 * std::pow(10.0, -1.6)) / 8.0);
    EXPECT_NEAR(counted.integratedLufs, expected, 0.2);
    EXPECT_NEAR(counted.truePeakDbtp, -16.0, 0.2);

    fixture.openHeadless();
    fixture.idle();
    // The integrated readout is lit within 1 LU of the target (-14 LUFS at first) only.
    const auto integratedRowHas = [&](const CColor& colour)
    {
        fixture.frame().drawAll();
        const CRect readouts = editor_layout::scaledRect(loudness_layout::kReadouts, 1.0);
        const long rowHeight = readouts.height() / loudness_layout::kReadoutRows;
        for (long y = readouts.top + 2 * rowHeight; y < readouts.top + 3 * rowHeight; ++y)
        {
            for (long x = readouts.left; x < readouts.right; ++x)
                if (fixture.pixel(x, y).sameRgb(colour))
                    return true;
        }
        return false;
    };
    EXPECT_TRUE(integratedRowHas(editor_layout::kTextGrey));
    EXPECT_FALSE(integratedRowHas(loudness_layout::kOnTargetColour)) << "2.7 LU below";

    const CRect& button = fixture.frame().getView(kResetButton)->getViewSize();
    CPoint reset(button.left + 4, button.top + 4);
    fixture.frame().onMouseDown(reset, kLButton);
    fixture.frame().onMouseUp(reset, kLButton);
    EXPECT_STREQ(fixture.view<CTextLabel>(kStatus)->getText(), "Reset loudness");
    EXPECT_STREQ(fixture.view<CTextLabel>(kResetButton)->getText(), "RESET LOUDNESS");
    playTone(fixture, 6.0, -14.6, phase);
    fixture.effect().waitUntilLoudnessMeasured();
    EXPECT_NEAR(fixture.effect().getLoudness().integratedLufs, -14.6, 0.2);
    EXPECT_NEAR(fixture.effect().getLoudness().truePeakDbtp, -14.6, 0.2);
    fixture.idle();
    EXPECT_TRUE(integratedRowHas(loudness_layout::kOnTargetColour));
    auto* target = fixture.view<COptionMenu>(kTargetMenu);
    ASSERT_EQ(target->getNbEntries(), 5);
    target->choose(0); // -23 LUFS
    fixture.idle();
    EXPECT_FALSE(integratedRowHas(loudness_layout::kOnTargetColour));
    target->choose(4); // none
    fixture.idle();
    EXPECT_FALSE(integratedRowHas(loudness_layout::kOnTargetColour));
}
} // namespace

namespace
{
// A reduction that came and went between two idles still reaches the history: the readings
// carry the lowest gains since the previous reading, not only the gains of the moment.
TEST(LoudnessPanel, TheHistorySeesAReductionBetweenTwoIdles)
{
    EditorFixture fixture(1.0);
    fixture.process(4.0f, 4.0f, 2048); // far above full scale: the limiter dives
    fixture.process(0.01f, 0.01f, 4 * kRateHz);
    MeterReadings first;
    readEngineMeters(fixture.effect(), first);
    EXPECT_GT(first.limiterGainLeft, 0.99f) << "recovered by now";
    EXPECT_LT(first.lowestLimiterGain, 0.5f);
    LoudnessHistory history;
    history.add(1.0, first);
    EXPECT_EQ(history.at(0).limiterGain, first.lowestLimiterGain);
    MeterReadings second;
    readEngineMeters(fixture.effect(), second);
    EXPECT_GT(second.lowestLimiterGain, 0.99f) << "each reading starts a new span";
}
} // namespace
