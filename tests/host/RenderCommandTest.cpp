#include "host/RenderCommand.h"
#include "CommandRun.h"
#include "LspLimiter.h"
#include "SoundFileWriter.h"
#include "host/AudioFile.h"
#include "host/CommandLine.h"
#include "host/plugins/PluginLibrary.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace
{
constexpr int kSampleRateHz = 44100;
constexpr std::size_t kInputFrames = 22050;

class RenderCommand : public ::testing::Test
{
  protected:
    RenderCommand()
    {
        std::vector<float> ramp(kInputFrames);
        for (std::size_t frame = 0; frame < kInputFrames; ++frame)
            ramp[frame] = 0.5f * static_cast<float>(frame % 100) / 100.0f;
        writeSoundFile(folder / "mono.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, kSampleRateHz,
                       ramp);
        writeSoundFile(folder / "three.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 3, kSampleRateHz,
                       ramp);
        std::ofstream(folder / "text.wav") << "not audio";
    }

    TempFolder folder;
    const std::string lsp = lspLimiterPath();
};
} // namespace

TEST(CommandLine, ReadsEveryOptionInBothSpellings)
{
    const CommandLine options = parseCommandLine(
        {"--plugin", "p.so", "--program=Loud", "--set", "a=0.5", "--set=b=1", "--set-raw", "c=4",
         "--block", "7", "--format", "int24", "--output-dir=out", "--json", "in.wav", "out.flac"});
    EXPECT_EQ(options.pluginPath, "p.so");
    EXPECT_EQ(options.program, "Loud");
    EXPECT_EQ(options.settings, (std::vector<std::string>{"a=0.5", "b=1"}));
    EXPECT_EQ(options.rawSettings, (std::vector<std::string>{"c=4"}));
    EXPECT_EQ(options.blockFrames, 7);
    EXPECT_EQ(options.sampleFormat, "int24");
    EXPECT_EQ(options.outputDirectory, "out");
    EXPECT_TRUE(options.json);
    EXPECT_FALSE(options.list);
    EXPECT_EQ(options.inputPath, "in.wav");
    EXPECT_EQ(options.outputPath, "out.flac");

    const CommandLine defaults = parseCommandLine({});
    EXPECT_EQ(defaults.blockFrames, 512);
    EXPECT_TRUE(defaults.inputPath.empty());
}

TEST_F(RenderCommand, EachFailureIsOneLineAndLeavesNoOutputBehind)
{
    const std::string input = folder / "mono.wav";
    const struct
    {
        std::vector<std::string> arguments;
        std::string message;
    } failures[] = {
        {{"--plugin", lsp, folder / "missing.wav"},
         "input file not found: " + (folder / "missing.wav")},
        {{"--plugin", lsp, folder / "text.wav"}, "cannot read " + (folder / "text.wav") + ": "},
        {{"--plugin", lsp, folder / "three.wav"}, "has 3 channels; only mono and stereo"},
        {{"--plugin", folder / "none.so", input}, "plug-in not found: " + (folder / "none.so")},
        {{"--plugin", folder / "text.wav", input},
         "cannot load plug-in " + (folder / "text.wav") + ": "},
        {{"--plugin", FAKE_NO_ENTRY_PATH, input},
         "not a VST 2.4 plug-in (neither VSTPluginMain nor main"},
        {{"--plugin", lsp, "--program", "Loud", input}, "unknown program 'Loud' (see --list)"},
        {{"--plugin", lsp, "--program", "3", input}, "program 3 does not exist"},
        {{"--plugin", lsp, "--set", "ceiling=0.5", input},
         "unknown parameter 'ceiling' (see --list)"},
        {{"--plugin", lsp, "--set", "th=loud", input}, "'loud' is not a number"},
        {{"--plugin", lsp, "--set", "th=1.5", input}, "must lie from 0 to 1"},
        {{"--plugin", lsp, "--set", "th", input}, "--set needs NAME=VALUE"},
        {{"--plugin", lsp, "--set-raw", "th=inf", input}, "the value must be finite"},
        {{"--plugin", lsp, "--format", "int12", input}, "unknown sample format 'int12'"},
        {{"--plugin", lsp, input, folder / "out.flac", "--format", "float32"},
         "cannot hold float32"},
        {{"--plugin", lsp, input, input}, "the output would overwrite the input file"},
        {{"--block", "0", input}, "--block needs a whole number"},
        {{"--block", "12x", input}, "--block needs a whole number"},
        {{"--block", "99999999999", input}, "--block needs a whole number"},
        {{input, "--block"}, "--block needs a value"},
        {{"--json=yes", input}, "--json takes no value"},
        {{"--loud", input}, "unknown option --loud (see --help)"},
        {{input, folder / "b.wav", folder / "c.wav"}, "too many arguments: "},
    };
    const std::vector<std::string> before = folder.fileNames();
    for (const auto& failure : failures)
    {
        const CommandRun result = runCommand(failure.arguments);
        EXPECT_NE(result.status, 0) << failure.message;
        EXPECT_EQ(result.errors.rfind("varnholt-render: ", 0), 0u) << result.errors;
        EXPECT_NE(result.errors.find(failure.message), std::string::npos) << result.errors;
        EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 1) << result.errors;
        EXPECT_TRUE(result.report.empty());
        EXPECT_EQ(folder.fileNames(), before) << failure.message;
    }
}

TEST_F(RenderCommand, RendersAFileBesideItselfKeepingItsFormat)
{
    // This plug-in exports its entry only as `main`, as Debian's DPF builds do.
    const CommandRun result =
        runCommand({"--plugin", FAKE_MAIN_ONLY_PATH, "--block", "100", folder / "mono.wav"});
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(result.errors.empty());
    AudioReader input(folder / "mono.wav");
    AudioReader output(folder / "mono-varnholt.wav");
    EXPECT_EQ(output.format(), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    // A pass-through plug-in gives back the mono input on both channels, sample for sample.
    std::vector<float> expected(2 * kInputFrames + 2), rendered(2 * kInputFrames + 2);
    EXPECT_EQ(input.read(expected.data(), kInputFrames + 1), kInputFrames);
    EXPECT_EQ(output.read(rendered.data(), kInputFrames + 1), kInputFrames);
    EXPECT_EQ(rendered, expected);
}

TEST_F(RenderCommand, DemoWritesInputAndOutputSideBySide)
{
    const CommandRun result =
        runCommand({"--plugin", lsp, "--json", "--output-dir", folder / "demo"});
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.report.rfind("{\"plugin\": {\"name\": \"Limiter Stereo\"", 0), 0u);
    EXPECT_NE(result.report.find("\"frames\": 1058400"), std::string::npos);
    EXPECT_EQ(AudioReader(folder / "demo/varnholt-demo-output.wav").frames(),
              AudioReader(folder / "demo/varnholt-demo-input.wav").frames());
}

#ifdef VARNHOLT_PLUGIN_PATH
TEST_F(RenderCommand, SetsOurDitheringMenuPositionBeyondOne)
{
    // Position 4 is 16 bits; its display is seven times the stored value. Names are found
    // regardless of case and padding.
    const CommandRun result =
        runCommand({"--plugin", VARNHOLT_PLUGIN_PATH, "--set-raw", " DITHERING =4", "--list"});
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_NE(result.report.find("Dithering: 28.000 Bt"), std::string::npos) << result.report;
}
#endif

TEST(DefaultPlugin, IsBesideTheProgramInTheBuildTreeElseInTheInstalledLibFolder)
{
    TempFolder prefix;
    std::filesystem::create_directories(prefix.path / "bin");
    std::filesystem::create_directories(prefix.path / "lib/vst");
    const std::string bin = prefix / "bin";
    EXPECT_EQ(defaultPluginPath(bin), prefix / "bin/VarnholtPro.so") << "neither exists";
    std::ofstream(prefix / "lib/vst/VarnholtPro.so");
    EXPECT_EQ(defaultPluginPath(bin), prefix / "lib/vst/VarnholtPro.so");
    std::ofstream(prefix / "bin/VarnholtPro.so");
    EXPECT_EQ(defaultPluginPath(bin), prefix / "bin/VarnholtPro.so");
}
