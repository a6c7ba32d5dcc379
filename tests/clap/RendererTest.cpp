// varnholt-render's CLAP host (host/plugins/ClapPluginInstance) with our library: programs from
// preset discovery, parameters in plain values with the plug-in's texts, and the VST 2.4
// edition's samples through the renderer's own VST host; libraries that are no CLAP refused; a
// mono CLAP effect of Debian's zam-plugins run as a left and a right instance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "host/HostError.h"
#include "host/plugins/PluginControls.h"
#include "host/plugins/PluginSource.h"
#include "parameters/Parameters.h"
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
    EXPECT_EQ(clap->varnholtParamId(drive), kInputDrive);

    selectProgram(*clap, "Widener");
    selectProgram(*vst, "4");
    applySetting(*clap, "Dithering=16 bit");
    applySetting(*vst, "Dithering=16 bit");
    applySetting(*clap, "rms_threshold=-6.5");
    applySetting(*vst, "RMS threshold=-6.5 dB");
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

TEST(ClapRendererHost, AMonoEffectRunsOnePerChannel)
{
    const std::string mono = "/usr/lib/clap/ZamEQ2.clap";
    if (!std::filesystem::exists(mono))
        GTEST_SKIP() << "zam-plugins is not installed";
    auto eq = openPluginSource(mono, "")->instantiate(kSampleRateHz, kBlockFrames);
    EXPECT_EQ(eq->name(), "ZamEQ2");
    applySetting(*eq, "Boost/Cut 1=12");
    // A click on one channel only: the other stays silent, and the clicked one answers.
    for (const int clicked : {0, 1})
    {
        std::vector<float> channels[2] = {std::vector<float>(kFrames), std::vector<float>(kFrames)};
        channels[clicked][100] = 0.5f;
        const std::vector<float> out = render(*eq, channels[0], channels[1]);
        const auto loudest = [&](int channel)
        {
            float peak = 0.0f;
            for (int i = 0; i < kFrames; ++i)
                peak =
                    std::max(peak, std::fabs(out[static_cast<std::size_t>(channel * kFrames + i)]));
            return peak;
        };
        EXPECT_GT(loudest(clicked), 0.1f) << clicked;
        EXPECT_EQ(loudest(1 - clicked), 0.0f) << clicked;
    }
}
