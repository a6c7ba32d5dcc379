// The renderer's VST3 adapter: the bundle opened from its path, its programs and parameters as
// the renderer lists them, and its render equal to the VST 2.4 edition's through the same
// adapter interface. Paths that hold no VST3 effect are refused with a message.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TestMaterial.h"
#include "host/HostError.h"
#include "host/plugins/PluginSource.h"
#include "parameters/Parameters.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Vst2ReferenceRender.h"

namespace
{
constexpr int kBlockFrames = 300;

Stereo renderThrough(PluginInstance& plugin, const Stereo& input)
{
    Stereo output{std::vector<float>(input.left.size()), std::vector<float>(input.right.size())};
    plugin.start();
    for (std::size_t done = 0; done < input.left.size(); done += kBlockFrames)
    {
        const int frames =
            static_cast<int>(std::min<std::size_t>(kBlockFrames, input.left.size() - done));
        const float* in[2] = {input.left.data() + done, input.right.data() + done};
        float* out[2] = {output.left.data() + done, output.right.data() + done};
        plugin.process(in, out, frames, static_cast<double>(done));
    }
    plugin.stop();
    return output;
}
} // namespace

TEST(Vst3Renderer, ListsAndRendersAsTheVst2Edition)
{
    const auto vst3 = openPluginSource(VARNHOLT_VST3_BUNDLE, "")->instantiate(44100.0, 4096);
    const auto vst2 = openPluginSource(VARNHOLT_PLUGIN_PATH, "")->instantiate(44100.0, 4096);
    EXPECT_EQ(vst3->name(), "Varnholt Pro");
    EXPECT_EQ(vst3->numPrograms(), 18);
    EXPECT_EQ(vst3->programName(7), "Mix first aid");
    ASSERT_EQ(vst3->numParams(), 17);
    EXPECT_EQ(vst3->paramName(kSoftclipThresh), "Softclip thresh");
    EXPECT_EQ(vst3->paramDisplay(kOutputTrim), "0.0 dB");
    EXPECT_EQ(vst3->paramLabel(kOutputTrim), "") << "the unit is in the text already";
    EXPECT_EQ(vst3->latencyFrames(), 512);

    vst3->setProgram(7);
    vst2->setProgram(7);
    EXPECT_FLOAT_EQ(vst3->paramValue(kInputDrive), 0.66f);
    vst3->setParam(kOutputTrim, 0.9f);
    vst2->setParam(kOutputTrim, 0.9f);
    const Stereo input = testMaterial(12000);
    EXPECT_EQ(maxDifference(renderThrough(*vst3, input), renderThrough(*vst2, input)), 0.0f);
}

TEST(Vst3Renderer, PathsWithoutAVst3EffectAreRefused)
{
    TempFolder folder;
    std::filesystem::create_directories(folder.path / "Empty.vst3" / "Contents");
    std::ofstream(folder / "Fake.vst3") << "not a library";
    for (const std::string& path :
         {folder / "Empty.vst3", folder / "Fake.vst3", folder / "Missing.vst3"})
    {
        SCOPED_TRACE(path);
        EXPECT_THROW(openPluginSource(path, ""), HostError);
    }
    EXPECT_THROW(openPluginSource(VARNHOLT_VST3_BUNDLE, "urn:any"), HostError);
}
