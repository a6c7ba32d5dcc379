// The CLAP edition renders what the VST 2.4 edition renders: the same samples at the defaults
// and every program, at any block size, 64-bit and in place; within the rounding of the unit
// conversion at settings a host sends in user units. Parameter events land at their frames.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "ClapTestHost.h"
#include "parameters/Presets.h"
#include "parameters/UserUnits.h"
#include "tests/support/Vst2ReferenceRender.h"

namespace
{
constexpr std::size_t kFrames = 20000;
constexpr std::uint32_t kHostBlock = 256;
static_assert(ClapInstance::kSampleRateHz == Vst2ReferenceRender::kSampleRateHz,
              "the editions are compared at one rate");

const StereoSignal& material()
{
    static const StereoSignal signal = comparisonMaterial(kFrames);
    return signal;
}
} // namespace

TEST(ClapRender, DefaultsAndEveryProgramGiveTheVstSamples)
{
    ClapInstance defaults;
    Vst2ReferenceRender vstDefaults;
    EXPECT_EQ(
        maxDifference(defaults.render(material(), kHostBlock), vstDefaults.render(material())),
        0.0f);
    for (int program = 0; program < kNumPrograms; ++program)
    {
        ClapInstance clap;
        ASSERT_TRUE(clap.loadPreset(std::to_string(program).c_str()));
        Vst2ReferenceRender vst;
        vst.setProgram(program);
        EXPECT_EQ(maxDifference(clap.render(material(), kHostBlock), vst.render(material())), 0.0f)
            << "program " << program;
    }
}

TEST(ClapRender, BlockSizesSixtyFourBitAndSeparateBuffersGiveTheSameSamples)
{
    ClapInstance first;
    ASSERT_TRUE(first.loadPreset("2"));
    const StereoSignal reference = first.render(material(), kHostBlock);
    for (const std::uint32_t block : {1u, 3u, 4096u})
    {
        ClapInstance clap;
        ASSERT_TRUE(clap.loadPreset("2"));
        EXPECT_EQ(maxDifference(clap.render(material(), block), reference), 0.0f) << block;
    }

    ClapInstance separate;
    ASSERT_TRUE(separate.loadPreset("2"));
    StereoSignal out{std::vector<float>(kFrames), std::vector<float>(kFrames)};
    const float* in[] = {material().left.data(), material().right.data()};
    float* outChannels[] = {out.left.data(), out.right.data()};
    EXPECT_EQ(separate.processBlock<float>(const_cast<float* const*>(in), outChannels, kFrames),
              kClapProcessContinue);
    EXPECT_EQ(maxDifference(out, reference), 0.0f);

    for (const bool inPlace : {false, true})
    {
        ClapInstance wide;
        ASSERT_TRUE(wide.loadPreset("2"));
        std::vector<double> left(material().left.begin(), material().left.end());
        std::vector<double> right(material().right.begin(), material().right.end());
        std::vector<double> outLeft(kFrames), outRight(kFrames);
        double* inputs[] = {left.data(), right.data()};
        double* outputs[] = {inPlace ? left.data() : outLeft.data(),
                             inPlace ? right.data() : outRight.data()};
        EXPECT_EQ(wide.processBlock<double>(inputs, outputs, kFrames), kClapProcessContinue);
        StereoSignal narrowed{std::vector<float>(outputs[0], outputs[0] + kFrames),
                              std::vector<float>(outputs[1], outputs[1] + kFrames)};
        EXPECT_EQ(maxDifference(narrowed, reference), 0.0f) << "in place " << inPlace;
    }
}

// Hosts send user units; the stored value they convert to differs from the VST's by float
// rounding at most, and so does the sound.
TEST(ClapRender, SettingsInUserUnitsMatchTheVstWithinRounding)
{
    const std::vector<std::pair<int, float>> settings = {
        {kOutputTrim, 0.9f},     {kInputDrive, 0.71f},     {kSideGain, 0.8f},
        {kXCorrThreshold, 0.3f}, {kEnvRelease, 0.25f},     {kSoftclipAmount, 0.4f},
        {kRmsThreshold, 0.45f},  {kInterSamplePeak, 1.0f}, {kDithering, 4.0f}};
    std::multimap<std::size_t, std::pair<clap_id, double>> events;
    for (const auto& [index, value] : settings)
        events.insert({0, {static_cast<clap_id>(index), userValueOf(index, value)}});
    ClapInstance clap;
    const StereoSignal clapOut = clap.render(material(), kHostBlock, events);
    Vst2ReferenceRender vst;
    for (const auto& [index, value] : settings)
        vst.setParameter(index, value);
    const float difference = maxDifference(clapOut, vst.render(material()));
    // 16-bit dither steps are 3e-5; a rounding that moves the dither decision stays near one.
    EXPECT_LT(difference, 1e-3f);
    RecordProperty("max_difference", std::to_string(difference));
    for (const auto& [index, value] : settings)
        EXPECT_NEAR(clap.value(static_cast<clap_id>(index)), userValueOf(index, value), 1e-4)
            << index;
}

TEST(ClapRender, ParameterEventsLandAtTheirFrames)
{
    constexpr std::size_t kEventFrame = 1234;
    const double drive = userValueOf(kInputDrive, 0.9f);
    const auto renderWith = [&](std::size_t frame, std::uint32_t block)
    {
        ClapInstance clap;
        return clap.render(material(), block, {{frame, {kInputDrive, drive}}});
    };
    // One 4096-frame block with the event inside equals blocks that start at the event.
    const StereoSignal inside = renderWith(kEventFrame, 4096);
    EXPECT_EQ(maxDifference(inside, renderWith(kEventFrame, kEventFrame)), 0.0f);
    EXPECT_EQ(maxDifference(inside, renderWith(kEventFrame, 2)), 0.0f);
    // A frame later is a different sound, so the frame is honoured, not the block.
    EXPECT_GT(maxDifference(inside, renderWith(kEventFrame + 1, 4096)), 0.0f);
    // Nothing changes before the event's frame.
    ClapInstance unchanged;
    const StereoSignal before = unchanged.render(material(), 4096);
    for (std::size_t i = 0; i < kEventFrame; ++i)
        ASSERT_EQ(inside.left[i], before.left[i]) << i;
}

// A reset, or a deactivation and activation, clears what a VST host's suspend and resume clear:
// the sound after it is the VST edition's after effMainsChanged off and on.
TEST(ClapRender, ResetAndRestartClearAsTheVstResumeDoes)
{
    Vst2ReferenceRender vst;
    vst.render(material());
    vst.restart();
    const StereoSignal vstAfter = vst.render(material());

    ClapInstance reset;
    reset.render(material(), kHostBlock);
    reset.plugin->reset(reset.plugin);
    EXPECT_EQ(maxDifference(reset.render(material(), kHostBlock), vstAfter), 0.0f);

    ClapInstance restarted;
    restarted.render(material(), kHostBlock);
    restarted.plugin->deactivate(restarted.plugin);
    ASSERT_TRUE(restarted.activate());
    EXPECT_EQ(maxDifference(restarted.render(material(), kHostBlock), vstAfter), 0.0f);
}
