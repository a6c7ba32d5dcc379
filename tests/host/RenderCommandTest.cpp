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
         "--set-normalised", "d=0.25",
         "--block", "7", "--format", "int24", "--output-dir=out", "--json", "in.wav", "out.flac"});
    EXPECT_EQ(options.pluginPath, "p.so");
    EXPECT_EQ(options.program, "Loud");
    EXPECT_EQ(options.settings, (std::vector<std::string>{"a=0.5", "b=1"}));
    EXPECT_EQ(options.rawSettings, (std::vector<std::string>{"c=4"}));
    EXPECT_EQ(options.normalisedSettings, (std::vector<std::string>{"d=0.25"}));
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
        {{"--plugin", lsp, input, folder / "out.mp3"}, "cannot write a .mp3 file: name the"},
        {{"--block", "0", input}, "--block needs a whole number"},
        {{"--block", "12x", input}, "--block needs a whole number"},
        {{"--block", "99999999999", input}, "--block needs a whole number"},
        {{input, "--block"}, "--block needs a value"},
        {{"--json=yes", input}, "--json takes no value"},
        {{"--loud", input}, "unknown option --loud (see --help)"},
        {{input, folder / "b.wav", folder / "c.wav"}, "too many arguments: "},
        // Unset shell variables: never the demo in the current folder, never a guess.
        {{"", folder / "out.wav"}, "an empty file name"},
        {{input, ""}, "an empty file name"},
        {{"--output-dir", "", input}, "--output-dir needs a value, not an empty one"},
        {{"--plugin=", input}, "--plugin needs a value, not an empty one"},
        {{"--set", "", input}, "--set needs a value, not an empty one"},
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
    EXPECT_NE(result.report.find("Dithering [dithering]: 16 bit (64 bit, 32 bit,"),
              std::string::npos)
        << result.report;
}

// Our editions list and take their parameters in the units a user reads, the same in both;
// the host's normalised values stay at hand under their own option.
TEST_F(RenderCommand, OurEditionsSpeakTheUnitsAUserReads)
{
    const std::vector<std::string> settings = {
        "--program", "1", "--set", "Input drive=+3 dB", "--set", "stereo_link=75 %",
        "--set", "dithering=16bit", "--set", "Output scale=k14", "--set", "InterSamplePeak=on"};
    const std::string shown[] = {"Input drive [input_drive]: 3.0 dB (-52.0 dB to 20.0 dB)",
                                 "Stereo link [stereo_link]: 75 % (0 % to 100 %)",
                                 "Output scale [output_scale]: K14 (PK, K12, K14, K20)",
                                 "InterSamplePeak [inter_sample_peak]: on (on or off)",
                                 "Dithering [dithering]: 16 bit"};
    for (const char* plugin : {VARNHOLT_PLUGIN_PATH, VARNHOLT_LV2_BUNDLE_PATH})
    {
        std::vector<std::string> arguments = {"--plugin", plugin, "--list"};
        arguments.insert(arguments.end(), settings.begin(), settings.end());
        const CommandRun result = runCommand(arguments);
        ASSERT_EQ(result.status, 0) << result.errors;
        for (const std::string& line : shown)
            EXPECT_NE(result.report.find(line), std::string::npos) << plugin << "\n" << result.report;
    }

    const CommandRun normalised = runCommand({"--plugin", VARNHOLT_PLUGIN_PATH, "--list",
                                              "--set-normalised", "Input drive=1"});
    EXPECT_NE(normalised.report.find("Input drive [input_drive]: 20.0 dB"), std::string::npos)
        << normalised.report;
    const struct
    {
        std::vector<std::string> arguments;
        std::string message;
    } failures[] = {
        {{"--set", "Input drive=30 dB"}, "Input drive takes -52.0 dB to 20.0 dB"},
        {{"--set", "Input drive=3 ms"}, "Input drive takes -52.0 dB to 20.0 dB"},
        {{"--set", "dithering=17bit"}, "Dithering takes 64 bit, 32 bit, 24 bit,"},
        {{"--set", "bypass=maybe"}, "Bypass takes on or off"},
        {{"--set-normalised", "Input drive=2"}, "must lie from 0 to 1"},
    };
    for (const auto& failure : failures)
    {
        std::vector<std::string> arguments = {"--plugin", VARNHOLT_PLUGIN_PATH, "--list"};
        arguments.insert(arguments.end(), failure.arguments.begin(), failure.arguments.end());
        const CommandRun result = runCommand(arguments);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.errors.find(failure.message), std::string::npos) << result.errors;
    }
    const CommandRun lv2Normalised = runCommand(
        {"--plugin", VARNHOLT_LV2_BUNDLE_PATH, "--list", "--set-normalised", "Input drive=1"});
    EXPECT_NE(lv2Normalised.errors.find("takes values in its ports' units; use --set"),
              std::string::npos)
        << lv2Normalised.errors;
}

// An integer output gets our word length and dither to match; other plug-ins a warning.
TEST_F(RenderCommand, IntegerOutputsSetOurWordLengthUnlessChosen)
{
    const std::string input = folder / "mono.wav";
    const auto render = [&](const std::string& output, std::vector<std::string> extra)
    {
        std::vector<std::string> arguments = {"--plugin", VARNHOLT_PLUGIN_PATH, input, output};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const CommandRun result = runCommand(arguments);
        EXPECT_EQ(result.status, 0) << result.errors;
        EXPECT_TRUE(result.errors.empty()) << result.errors;
        std::ifstream file(output, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    const std::string matched = render(folder / "a.wav", {"--format", "int16"});
    EXPECT_EQ(matched, render(folder / "b.wav", {"--format", "int16", "--set", "dithering=16 bit"}));
    EXPECT_NE(matched, render(folder / "c.wav", {"--format", "int16", "--set", "dithering=64 bit"}));

    const CommandRun other =
        runCommand({"--plugin", FAKE_MAIN_ONLY_PATH, "--format", "int24", input, folder / "d.wav"});
    EXPECT_EQ(other.status, 0);
    EXPECT_NE(other.errors.find("warning: "), std::string::npos);
    EXPECT_NE(other.errors.find("rounded to 24 bits without dither"), std::string::npos)
        << other.errors;
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
