#include "FakeEffect.h"
#include "RenderHelpers.h"
#include "host/HostError.h"

#include <gtest/gtest.h>

namespace
{
constexpr double sampleRateHz = 48000.0;
constexpr std::size_t inputFrames = 10007; // odd, so no block size divides it
constexpr std::size_t clickFrame = 4321;

std::vector<float> renderClickThroughFake(const FakeEffectSettings& settings, int blockFrames,
                                          RenderResult& result)
{
    fakeEffectRecord() = FakeEffectRecord{settings, {}, {}};
    PluginInstance plugin(fakeEffectMain, sampleRateHz, blockFrames);
    return renderBuffer(plugin, blockFrames, stereoClick(inputFrames, clickFrame, 0.5f), &result);
}
} // namespace

TEST(Renderer, KeepsLengthAndClickPositionForAnyBlockSizeAndLatency)
{
    const FakeEffectSettings latencies[] = {
        {0, false},
        {100, false},
        {100, true},
        {1500, true},
        {inputFrames + 10, false},
        {100, true, false, kEffectMagic, 2, true}, // old accumulating entry: outputs need clearing
    };
    for (const FakeEffectSettings& latency : latencies)
        for (int blockFrames : {1, 7, 64, 513, 4096, 20000})
        {
            SCOPED_TRACE("delay " + std::to_string(latency.delayFrames) +
                         (latency.announceDelayLate ? " late" : "") +
                         (latency.accumulating ? ", accumulating" : "") + ", block " +
                         std::to_string(blockFrames));
            RenderResult result;
            const std::vector<float> output = renderClickThroughFake(latency, blockFrames, result);
            ASSERT_EQ(output.size(), 2 * inputFrames);
            EXPECT_EQ(result.frames, static_cast<long long>(inputFrames));
            EXPECT_EQ(result.latencyFrames, latency.delayFrames);
            EXPECT_EQ(result.framesProcessed,
                      static_cast<long long>(inputFrames) + latency.delayFrames);
            EXPECT_GT(result.processSeconds, 0.0);
            EXPECT_EQ(output, stereoClick(inputFrames, clickFrame, 0.5f));
        }
}

TEST(Renderer, DrivesThePlugInInTheOrderHostsUse)
{
    RenderResult result;
    renderClickThroughFake({100, true}, 4096, result);
    const std::vector<std::string> expected = {"open",    "rate 48000", "block 4096",
                                               "mains 1", "start",      "process",
                                               "stop",    "mains 0",    "close"};
    EXPECT_EQ(fakeEffectRecord().calls, expected);
    // The time info follows the frames fed: 10007 input and 100 silent frames in 4096-frame blocks.
    const std::vector<double> positions = {0.0, 4096.0, 8192.0};
    EXPECT_EQ(fakeEffectRecord().blockPositions, positions);
}

TEST(PluginInstance, RejectsWhatIsNoStereoEffect)
{
    const struct
    {
        FakeEffectSettings settings;
        const char* message;
    } cases[] = {
        {{0, false, true},
         "the plug-in could not create an effect (its entry point returned null)"},
        {{0, false, false, 0x12345678},
         "not a VST 2.4 plug-in (the effect record has a wrong magic number)"},
        {{0, false, false, kEffectMagic, 1},
         "the plug-in is not a stereo effect (it has 1 inputs and 2 outputs)"},
    };
    for (const auto& rejected : cases)
    {
        fakeEffectRecord() = FakeEffectRecord{rejected.settings, {}, {}};
        try
        {
            PluginInstance plugin(fakeEffectMain, sampleRateHz, 64);
            ADD_FAILURE() << "accepted: " << rejected.message;
        }
        catch (const HostError& error)
        {
            EXPECT_STREQ(error.what(), rejected.message);
        }
    }
}
