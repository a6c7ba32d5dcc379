// The LV2 edition, run by the renderer's own LV2 code, renders what the VST edition renders at
// the same settings: the same samples at the defaults, every factory program and every word
// length, at odd run lengths and in place, and within the rounding of the unit conversion at any
// other setting. Hostile port values leave the sound as it was; activate resets as the VST resume
// does.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <random>
#include <thread>

#include "Lv2Bundle.h"
#include "engine/LoudnessConstants.h"
#include "parameters/Presets.h"
#include "parameters/UserUnits.h"
#include "tests/support/Vst2ReferenceRender.h"

namespace
{
constexpr std::size_t kFrames = 20000;
// Run lengths a host may use, including single frames and empty runs.
const std::vector<std::uint32_t> kOddRuns = {1, 7, 0, 333, 64, 1021, 2, 4096, 513};
const std::vector<std::uint32_t> kHostRuns = {256};

const Stereo& material()
{
    static const Stereo signal = comparisonMaterial(kFrames);
    return signal;
}

// The factory program a preset label names; -1 for none.
int programOf(const std::string& label)
{
    for (int program = 0; program < kNumPrograms; ++program)
        if (programLabel(program) == label)
            return program;
    return -1;
}

// Every sample finite and within bound.
bool withinBound(const Stereo& s, float bound)
{
    for (std::size_t i = 0; i < s.left.size(); ++i)
        if (!(std::fabs(s.left[i]) <= bound && std::fabs(s.right[i]) <= bound))
            return false;
    return true;
}
} // namespace

TEST(Lv2Render, DefaultsEveryPresetAndWordLengthGiveTheVstSamples)
{
    Vst2ReferenceRender vstDefaults;
    const Stereo reference = vstDefaults.render(material());
    for (const bool inPlace : {false, true})
    {
        HostedLv2 lv2;
        EXPECT_EQ(maxDifference(lv2.render(material(), kOddRuns, inPlace), reference), 0.0f)
            << "in place " << inPlace;
    }

    // Each preset as the renderer applies it, against the VST program of the same name.
    const int presets = HostedLv2().get().numPrograms();
    for (int preset = 0; preset < presets; ++preset)
    {
        HostedLv2 lv2;
        const int program = programOf(lv2.get().programName(preset));
        SCOPED_TRACE(lv2.get().programName(preset));
        ASSERT_GE(program, 0);
        Vst2ReferenceRender vst;
        vst.setProgram(program);
        lv2.get().setProgram(preset);
        const Stereo rendered = lv2.render(material(), kOddRuns, program % 2 == 1);
        EXPECT_EQ(maxDifference(rendered, vst.render(material())), 0.0f);
    }

    // Every word length below 64 bits, dither and noise shaping included.
    for (const float position : {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f})
    {
        SCOPED_TRACE(position);
        Vst2ReferenceRender vst;
        vst.setParameter(kDithering, position);
        HostedLv2 lv2;
        lv2.set(kDithering, position);
        EXPECT_EQ(maxDifference(lv2.render(material(), kOddRuns), vst.render(material())), 0.0f);
    }
}

TEST(Lv2Render, SettingsOffTheGridAgreeWithinTheUnitConversion)
{
    // The port holds the float nearest the parameter value's port value, which converts back
    // to the parameter value or its neighbouring float.
    constexpr float kTolerance = 1e-6f; // -120 dBFS
    std::mt19937 random(20261208u);
    for (int setting = 0; setting < 6; ++setting)
    {
        SCOPED_TRACE(setting);
        Vst2ReferenceRender vst;
        HostedLv2 lv2;
        for (int index = 0; index < kNumParams; ++index)
        {
            // Bypass would hide the rest; a word length quantises, where a float step of another
            // setting may move a sample by a whole step (word lengths are checked exactly below).
            if (index == kBypass || index == kDithering)
                continue;
            std::uniform_real_distribution<float> travel(0.0f, kUserUnits[index].topValue);
            const float value = travel(random);
            vst.setParameter(index, value);
            lv2.set(index, static_cast<float>(userValueOf(index, value)));
        }
        const float difference =
            maxDifference(lv2.render(material(), kHostRuns), vst.render(material()));
        EXPECT_LE(difference, kTolerance);
        RecordProperty("max_difference_" + std::to_string(setting),
                       testing::PrintToString(difference));
    }
}

TEST(Lv2Render, ActivateResetsAsTheVstResume)
{
    const std::size_t half = kFrames / 2;
    const Stereo first{
        std::vector<float>(material().left.begin(), material().left.begin() + half),
        std::vector<float>(material().right.begin(), material().right.begin() + half)};
    Vst2ReferenceRender vst;
    HostedLv2 lv2;
    EXPECT_EQ(maxDifference(lv2.render(first, kHostRuns), vst.render(first)), 0.0f);
    vst.restart();
    lv2.restart();
    EXPECT_EQ(maxDifference(lv2.render(first, kOddRuns), vst.render(first)), 0.0f);
}

TEST(Lv2Render, HostileControlValuesLeaveTheSoundAsTheVstPathDoes)
{
    const Stereo reference = HostedLv2().render(material(), kHostRuns);
    const float kNotANumber = std::numeric_limits<float>::quiet_NaN();
    const float kInfinity = std::numeric_limits<float>::infinity();
    for (std::uint32_t index = 0; index < kNumParams; ++index)
    {
        // Non-finite values change nothing.
        for (const float hostile : {kNotANumber, kInfinity, -kInfinity})
        {
            SCOPED_TRACE(testing::Message() << kUserUnits[index].symbol << " " << hostile);
            HostedLv2 lv2;
            lv2.set(index, hostile);
            EXPECT_EQ(maxDifference(lv2.render(material(), kHostRuns), reference), 0.0f);
        }
        // Far out of range is the nearer end of the range.
        for (const float far : {1e30f, -1e30f, std::numeric_limits<float>::max()})
        {
            SCOPED_TRACE(testing::Message() << kUserUnits[index].symbol << " " << far);
            HostedLv2 lv2;
            HostedLv2 atEnd;
            lv2.set(index, far);
            atEnd.set(index, static_cast<float>(far > 0 ? userMaximum(index) : userMinimum(index)));
            const Stereo rendered = lv2.render(material(), kHostRuns);
            EXPECT_EQ(maxDifference(rendered, atEnd.render(material(), kHostRuns)), 0.0f);
            // Only bypass lets the +4 dBFS bursts through.
            EXPECT_TRUE(withinBound(rendered, index == kBypass ? 1.6f : 1.0f));
        }
    }
    HostedLv2 everything;
    for (std::uint32_t index = 0; index < kNumParams; ++index)
        everything.set(index, index % 2 ? kNotANumber : -kInfinity);
    everything.set(lv2_port::kPeakHoldReset, kNotANumber);
    EXPECT_EQ(maxDifference(everything.render(material(), kOddRuns), reference), 0.0f);
}

TEST(Lv2Render, EmptyRunsAndLateConnectionsAreSafe)
{
    HostedLv2 hosted;
    std::vector<float> sentinel(4, 7.0f);
    EXPECT_EQ(hosted.get().latencyFrames(), 0);
    const float* in[] = {sentinel.data(), sentinel.data()};
    float* out[] = {sentinel.data(), sentinel.data()};
    hosted.get().process(in, out, 0, 0.0);
    EXPECT_EQ(sentinel, std::vector<float>(4, 7.0f));
    EXPECT_EQ(hosted.get().latencyFrames(), 512);

    // Connected again after activate, to other buffers, mid-stream: renders continue exactly.
    RawLv2Instance lv2;
    Vst2ReferenceRender vst;
    float lateTrim = lv2.controls[kOutputTrim];
    lv2.connect(kOutputTrim, &lateTrim);
    EXPECT_EQ(maxDifference(lv2.render(material(), kOddRuns), vst.render(material())), 0.0f);
}

TEST(Lv2Render, MetersAndThePeakHoldResetReachThePorts)
{
    RawLv2Instance lv2;
    lv2.render(material(), kHostRuns); // ends in a loud burst
    const float* meters = lv2.controls + lv2_port::kFirstMeter;
    EXPECT_GT(meters[lv2_port::kPeakLeft], 0.5f);
    EXPECT_LE(meters[lv2_port::kPeakHoldLeft], 1.0f);
    EXPECT_LT(meters[lv2_port::kLimiterGainLeft], 1.0f); // the bursts are limited
    EXPECT_GE(meters[lv2_port::kCorrelation], -1.0f);
    EXPECT_LE(meters[lv2_port::kCorrelation], 1.0f);
    const float heldBefore = meters[lv2_port::kPeakHoldLeft];

    const Stereo silence{std::vector<float>(64), std::vector<float>(64)};
    lv2.render(silence, kHostRuns);
    EXPECT_EQ(meters[lv2_port::kPeakHoldLeft], heldBefore); // held for ten seconds
    lv2.controls[lv2_port::kPeakHoldReset] = 1.0f;
    lv2.render(silence, kHostRuns);
    EXPECT_LT(meters[lv2_port::kPeakHoldLeft], 0.5f * heldBefore);
    // The same value again is no new request; a change is, either way.
    lv2.render(material(), kHostRuns);
    const float heldAgain = meters[lv2_port::kPeakHoldLeft];
    lv2.render(silence, kHostRuns);
    EXPECT_EQ(meters[lv2_port::kPeakHoldLeft], heldAgain);
    lv2.controls[lv2_port::kPeakHoldReset] = 0.0f;
    lv2.render(silence, kHostRuns);
    EXPECT_LT(meters[lv2_port::kPeakHoldLeft], 0.5f * heldAgain);
}

// The loudness figures reach their ports a few milliseconds behind the audio (they are measured
// on a thread of the plug-in's own), and the reset input starts them afresh.
TEST(Lv2Render, LoudnessFiguresAndTheirResetReachThePorts)
{
    constexpr double kRateHz = 44100.0;
    RawLv2Instance lv2;
    Stereo tone{std::vector<float>(3 * 44100), std::vector<float>(3 * 44100)};
    for (std::size_t i = 0; i < tone.left.size(); ++i)
        tone.left[i] = tone.right[i] =
            static_cast<float>(0.1 * std::sin(6.283185307179586 * 1000.0 * i / kRateHz)); // -20 dB
    const float* meters = lv2.controls + lv2_port::kFirstMeter;
    const auto settle = [&](const Stereo& signal)
    {
        lv2.render(signal, {512});
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        lv2.render(Stereo{{0.0f}, {0.0f}}, {1}); // one more run writes what was measured
    };
    settle(tone);
    EXPECT_NEAR(meters[lv2_port::kMomentaryLufs], -20.0f, 0.3f);
    EXPECT_NEAR(meters[lv2_port::kShortTermLufs], -20.0f, 0.3f);
    EXPECT_NEAR(meters[lv2_port::kIntegratedLufs], -20.0f, 0.3f);
    EXPECT_NEAR(meters[lv2_port::kLoudnessRangeLu], 0.0f, 0.1f);
    EXPECT_NEAR(meters[lv2_port::kTruePeakDbtp], -20.0f, 0.3f);

    lv2.controls[lv2_port::kLoudnessReset] = 1.0f;
    settle(Stereo{std::vector<float>(44100), std::vector<float>(44100)});
    // Silence but for the tone's last 512 frames, still in the look-ahead at the reset.
    EXPECT_LT(meters[lv2_port::kIntegratedLufs], -30.0f);
    EXPECT_EQ(meters[lv2_port::kMomentaryLufs], loudness_constants::kSilenceLufs);
}

TEST(Lv2Render, SoftclipGainPortsHoldEachPeakForHostsThatSampleThem)
{
    constexpr std::uint32_t kHoldFrames = 2205; // 50 ms at 44.1 kHz
    RawLv2Instance lv2;
    lv2.controls[kSoftclipAmount] = 100.0f;
    const float& gainLeft = lv2.controls[lv2_port::kFirstMeter + lv2_port::kSoftclipGainLeft];
    const Stereo loud{std::vector<float>(64, 1.5f), std::vector<float>(64, 1.5f)};
    const Stereo quiet{std::vector<float>(64, 0.01f), std::vector<float>(64, 0.01f)};
    lv2.render(loud, {64});
    const float peakGain = gainLeft;
    EXPECT_LT(peakGain, 0.9f);
    // Later runs of quiet input: the engine's own reading is back near 1 at once, the port holds
    // the peak for 50 ms.
    for (std::uint32_t held = 0; held + 64 < kHoldFrames; held += 64)
    {
        lv2.render(quiet, {64});
        ASSERT_EQ(gainLeft, peakGain) << held;
    }
    lv2.render(quiet, {64});
    lv2.render(quiet, {64});
    EXPECT_GT(gainLeft, 0.99f);
}
