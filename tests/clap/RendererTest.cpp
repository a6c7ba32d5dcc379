// varnholt-render's CLAP host (host/plugins/ClapPluginInstance) with our library: programs from
// preset discovery, parameters in plain values with the plug-in's texts, and the VST 2.4
// edition's samples through the renderer's own VST host; libraries that are no CLAP refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "host/HostError.h"
#include "host/plugins/PluginControls.h"
#include "host/plugins/PluginSource.h"
#include "tests/support/TempFolder.h"

namespace
{
constexpr double kSampleRateHz = 44100.0;
constexpr int kBlockFrames = 333;
constexpr int kFrames = 9000;

std::vector<float> render(PluginInstance& plugin, const std::vector<float>& left,
                          const std::vector<float>& right)
{
    std::vector<float> outLeft(left.size()), outRight(right.size());
    plugin.start();
    for (int done = 0; done < kFrames; done += kBlockFrames)
    {
        const int frames = std::min(kBlockFrames, kFrames - done);
        const float* input[2] = {left.data() + done, right.data() + done};
        float* const output[2] = {outLeft.data() + done, outRight.data() + done};
        plugin.process(input, output, frames, done);
    }
    plugin.stop();
    outLeft.insert(outLeft.end(), outRight.begin(), outRight.end());
    return outLeft;
}
} // namespace

TEST(ClapRendererHost, RendersTheVstSamplesWithProgramsAndSettings)
{
    const auto clapSource = openPluginSource(VARNHOLT_CLAP_PATH, "");
    const auto vstSource = openPluginSource(VARNHOLT_PLUGIN_PATH, "");
    auto clap = clapSource->instantiate(kSampleRateHz, kBlockFrames);
    auto vst = vstSource->instantiate(kSampleRateHz, kBlockFrames);
    EXPECT_EQ(clap->name(), "Varnholt Pro");
    EXPECT_EQ(clap->latencyFrames(), 512);
    ASSERT_EQ(clap->numPrograms(), 8);
    EXPECT_EQ(clap->programName(7), "Mix first aid");
    ASSERT_EQ(clap->numParams(), 17);
    EXPECT_EQ(clap->paramScale(), ParamScale::PortUnits);
    const int drive = findParameter(*clap, "Input drive");
    ASSERT_GE(drive, 0);
    EXPECT_EQ(clap->paramMinimum(drive), -52.0f);
    EXPECT_EQ(clap->paramDisplay(drive), "-0.2 dB");

    selectProgram(*clap, "Widener");
    selectProgram(*vst, "4");
    applySetting(*clap, "Dithering=4");
    applySetting(*vst, "Dithering=4", false);
    EXPECT_EQ(clap->paramDisplay(findParameter(*clap, "Dithering")), "16 bit");
    EXPECT_THROW(applySetting(*clap, "Input drive=30"), HostError);

    std::vector<float> left(kFrames), right(kFrames);
    for (int i = 0; i < kFrames; ++i)
    {
        left[i] = 1.4f * std::sin(0.031f * i);
        right[i] = 0.9f * std::sin(0.017f * i + 1.0f);
    }
    EXPECT_EQ(render(*clap, left, right), render(*vst, left, right));
}

TEST(ClapRendererHost, RefusesWhatIsNoClapPlugin)
{
    EXPECT_THROW(openPluginSource("/nonexistent/VarnholtPro.clap", ""), HostError);
    TempFolder folder;
    const std::string renamed = (folder.path / "vst-only.clap").string();
    std::filesystem::copy_file(VARNHOLT_PLUGIN_PATH, renamed);
    try
    {
        openPluginSource(renamed, "");
        ADD_FAILURE() << "a VST 2.4 library was taken for CLAP";
    }
    catch (const HostError& error)
    {
        EXPECT_NE(std::string(error.what()).find("not a CLAP plug-in"), std::string::npos)
            << error.what();
    }
    EXPECT_THROW(openPluginSource(VARNHOLT_CLAP_PATH, "example.someone.else"), HostError);
    EXPECT_NO_THROW(openPluginSource(VARNHOLT_CLAP_PATH, "example.varnholt.varnholt-pro"));
}
