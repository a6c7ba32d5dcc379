// Rendering in-memory stereo through plug-ins: the fake delay in every shape, and real limiters
// loaded from disk: Debian's LSP limiter, which proves the host is not tied to our plug-in, and
// ours when it is part of the build.
#include "host/PluginStream.h"
#include "FakeEffect.h"
#include "LspLimiter.h"
#include "RenderInMemory.h"
#include "host/HostError.h"
#include "host/plugins/PluginLibrary.h"
#include "host/plugins/VstPluginInstance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{
constexpr std::size_t kInputFrames = 10007; // odd, so no block size divides it
constexpr std::size_t kClickFrame = 4321;

// Interleaved stereo silence with one click on both channels.
std::vector<float> stereoClick()
{
    std::vector<float> samples(2 * kInputFrames, 0.0f);
    samples[2 * kClickFrame] = samples[2 * kClickFrame + 1] = 0.5f;
    return samples;
}

using ClickRender = InMemoryRender;

ClickRender renderClick(PluginInstance& plugin, int blockFrames)
{
    return renderInMemory(plugin, blockFrames, stereoClick());
}

ClickRender renderClickThroughFake(const FakeEffectSettings& settings, int blockFrames)
{
    fakeEffectRecord() = FakeEffectRecord{settings, {}, {}};
    VstPluginInstance plugin(fakeEffectMain, 48000.0, blockFrames);
    return renderClick(plugin, blockFrames);
}
} // namespace

TEST(Renderer, KeepsLengthAndClickPositionForAnyBlockSizeAndLatency)
{
    const FakeEffectSettings latencies[] = {
        {0, false},
        {100, false},
        {100, true},
        {1500, true},
        {kInputFrames + 10, false},
        {100, true, false, kEffectMagic, 2, true}, // old accumulating entry: outputs need clearing
    };
    for (const FakeEffectSettings& latency : latencies)
    {
        for (int blockFrames : {1, 7, 64, 513, 4096, 20000})
        {
            SCOPED_TRACE("delay " + std::to_string(latency.delayFrames) +
                         (latency.announceDelayLate ? " late" : "") +
                         (latency.accumulating ? ", accumulating" : "") + ", block " +
                         std::to_string(blockFrames));
            const ClickRender render = renderClickThroughFake(latency, blockFrames);
            EXPECT_EQ(render.output, stereoClick());
            EXPECT_EQ(render.result.frames, static_cast<long long>(kInputFrames));
            EXPECT_EQ(render.result.latencyFrames, latency.delayFrames);
            EXPECT_EQ(render.result.framesProcessed,
                      static_cast<long long>(kInputFrames) + latency.delayFrames);
            EXPECT_GT(render.result.processSeconds, 0.0);
        }
    }
}

TEST(Renderer, DrivesThePlugInInTheOrderHostsUse)
{
    renderClickThroughFake({100, true}, 4096);
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
            VstPluginInstance plugin(fakeEffectMain, 48000.0, 64);
            ADD_FAILURE() << "accepted: " << rejected.message;
        }
        catch (const HostError& error)
        {
            EXPECT_STREQ(error.what(), rejected.message);
        }
    }
}

TEST(PeerPlugin, RealLimitersGiveTheClickBackAtTheFrameItWentIn)
{
    ASSERT_TRUE(std::filesystem::exists(lspLimiterPath())) << "install lsp-plugins-vst";
    constexpr int oddBlockFrames = 333;
    const struct
    {
        std::string path;
        double sampleRateHz;
        int latencyFrames; // 0: any look-ahead
    } plugins[] = {
        {lspLimiterPath(), 44100.0, 0},
        {lspLimiterPath(), 96000.0, 0},
#ifdef VARNHOLT_PLUGIN_PATH
        {VARNHOLT_PLUGIN_PATH, 44100.0, 512},
#endif
    };
    for (const auto& plugin : plugins)
    {
        SCOPED_TRACE(plugin.path + " at " + std::to_string(plugin.sampleRateHz));
        VstPluginInstance instance(loadPluginEntry(plugin.path), plugin.sampleRateHz,
                                   oddBlockFrames);
        const ClickRender render = renderClick(instance, oddBlockFrames);
        EXPECT_GT(render.result.latencyFrames, 0) << "the look-ahead delays the signal";
        if (plugin.latencyFrames > 0)
        {
            EXPECT_EQ(render.result.latencyFrames, plugin.latencyFrames);
        }
        ASSERT_EQ(render.output.size(), 2 * kInputFrames);
        const auto loudest =
            std::max_element(render.output.begin(), render.output.end(),
                             [](float a, float b) { return std::fabs(a) < std::fabs(b); });
        EXPECT_EQ(static_cast<std::size_t>(loudest - render.output.begin()) / 2, kClickFrame);
    }
}
