// Renders through real VST 2.4 plug-ins loaded from disk: Debian's LSP limiter, which proves
// the host is not tied to our plug-in, and ours when it is part of the build.
#include "LspLimiter.h"
#include "RenderHelpers.h"
#include "host/PluginControls.h"
#include "host/PluginLibrary.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{
constexpr std::size_t inputFrames = 9001;
constexpr std::size_t clickFrame = 3000;
constexpr int oddBlockFrames = 333;

struct ClickRender
{
    std::vector<float> output;
    RenderResult result;
};

ClickRender renderClick(const std::string& pluginPath, double sampleRateHz)
{
    PluginInstance plugin(loadPluginEntry(pluginPath), sampleRateHz, oddBlockFrames);
    ClickRender render;
    render.output = renderBuffer(plugin, oddBlockFrames, stereoClick(inputFrames, clickFrame, 0.5f),
                                 &render.result);
    return render;
}

int paramIndex(const PluginInstance& plugin, const std::string& name)
{
    for (int param = 0; param < plugin.numParams(); ++param)
        if (plugin.paramName(param) == name)
            return param;
    return -1;
}
} // namespace

TEST(PeerPlugin, LspLimiterGivesTheClickBackAtTheFrameItWentIn)
{
    ASSERT_TRUE(std::filesystem::exists(lspLimiterPath())) << "install lsp-plugins-vst";
    for (double sampleRateHz : {44100.0, 96000.0})
    {
        const ClickRender render = renderClick(lspLimiterPath(), sampleRateHz);
        EXPECT_GT(render.result.latencyFrames, 0) << "its look-ahead delays the signal";
        ASSERT_EQ(render.output.size(), 2 * inputFrames);
        EXPECT_EQ(loudestFrame(render.output), clickFrame);
    }
}

TEST(PeerPlugin, LspLimiterParametersAreFoundByName)
{
    PluginInstance plugin(loadPluginEntry(lspLimiterPath()), 48000.0, 512);
    EXPECT_EQ(plugin.name(), "Limiter Stereo");
    const int threshold = paramIndex(plugin, "th");
    ASSERT_GE(threshold, 0);
    const std::string before = plugin.paramDisplay(threshold);
    applySetting(plugin, " TH =0");
    EXPECT_NE(plugin.paramDisplay(threshold), before);
    EXPECT_NE(formatPluginListing(plugin).find("  th: " + plugin.paramDisplay(threshold)),
              std::string::npos);
}

#ifdef VARNHOLT_PLUGIN_PATH
TEST(PeerPlugin, VarnholtProGivesTheClickBackAtTheFrameItWentIn)
{
    const ClickRender render = renderClick(VARNHOLT_PLUGIN_PATH, 44100.0);
    EXPECT_EQ(render.result.latencyFrames, 512);
    ASSERT_EQ(render.output.size(), 2 * inputFrames);
    EXPECT_EQ(loudestFrame(render.output), clickFrame);
}
#endif
