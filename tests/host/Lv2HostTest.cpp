// LV2 plug-ins through varnholt-render: Debian's ZAM and LSP effects found by bundle folder or by
// URI on a private LV2_PATH, every way the command line can name a wrong one, values in port
// units, presets, and our own edition against our VST 2.4 library once the bundle is built.
#include "CommandRun.h"
#include "Lv2Peers.h"
#include "RenderInMemory.h"
#include "SoundFileWriter.h"
#include "host/AudioFile.h"
#include "host/plugins/PluginControls.h"
#include "host/plugins/PluginSource.h"
#include "host/RenderCommand.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

namespace
{
constexpr int kSampleRateHz = 44100;
constexpr std::size_t kInputFrames = 10007; // odd, so no block size divides it
constexpr std::size_t kLeftClickFrame = 4321;
constexpr std::size_t kRightClickFrame = 6543;
constexpr int kOddBlockFrames = 333;

std::vector<float> clicks(float left, float right)
{
    std::vector<float> samples(2 * kInputFrames, 0.0f);
    samples[2 * kLeftClickFrame] = left;
    samples[2 * kRightClickFrame + 1] = right;
    return samples;
}

std::size_t loudestFrame(const std::vector<float>& interleaved, int channel)
{
    std::size_t loudest = 0;
    for (std::size_t frame = 0; frame < interleaved.size() / 2; ++frame)
    {
        if (std::fabs(interleaved[2 * frame + channel]) >
            std::fabs(interleaved[2 * loudest + channel]))
            loudest = frame;
    }
    return loudest;
}

class Lv2Command : public ::testing::Test
{
  protected:
    Lv2Command()
    {
        std::vector<float> ramp(2 * kInputFrames);
        for (std::size_t sample = 0; sample < ramp.size(); ++sample)
            ramp[sample] = 0.9f * static_cast<float>(sample % 100) / 100.0f - 0.45f;
        writeSoundFile(input, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kSampleRateHz, ramp);
    }

    PrivateLv2Path lv2Path{{kZamMaximBundle}};
    TempFolder folder;
    const std::string input = folder / "ramp.wav";
};
} // namespace

TEST(Lv2Peer, GivesTheClickBackAtTheFrameItWentIn)
{
    const PrivateLv2Path lv2Path({kZamMaximBundle, kLspBundle});
    const struct
    {
        std::string plugin;
        std::string uri;
        double sampleRateHz;
        int latencyFrames; // 0: any look-ahead
    } plugins[] = {
        {kZamMaximUri, "", 44100.0, 480}, // latency from the designated lv2:latency port
        {kZamMaximBundle, "", 96000.0, 0},
        {kLspBundle, kLspLimiterUri, 44100.0, 0}, // from the older lv2:reportsLatency port
        {kLspLimiterUri, "", 48000.0, 0},
    };
    for (const auto& plugin : plugins)
    {
        SCOPED_TRACE(plugin.plugin + " " + plugin.uri + " at " +
                     std::to_string(plugin.sampleRateHz));
        const auto instance = openPluginSource(plugin.plugin, plugin.uri)
                                  ->instantiate(plugin.sampleRateHz, kOddBlockFrames);
        const InMemoryRender render =
            renderInMemory(*instance, kOddBlockFrames, clicks(0.5f, 0.25f));
        EXPECT_GT(render.result.latencyFrames, 0) << "the look-ahead delays the signal";
        if (plugin.latencyFrames > 0)
        {
            EXPECT_EQ(render.result.latencyFrames, plugin.latencyFrames);
        }
        EXPECT_EQ(render.result.latencyChangedToFrames, -1);
        ASSERT_EQ(render.output.size(), 2 * kInputFrames);
        EXPECT_EQ(loudestFrame(render.output, 0), kLeftClickFrame);
        EXPECT_EQ(loudestFrame(render.output, 1), kRightClickFrame);
    }
}

TEST(Lv2Peer, MonoEffectRunsOnceForEachChannel)
{
    // ZamEQ2 at its defaults boosts nothing: each channel comes back alone and unchanged.
    const auto instance = openPluginSource(kZamEqBundle, "")->instantiate(48000.0, 64);
    const std::vector<float> input = clicks(0.5f, -0.25f);
    const InMemoryRender render = renderInMemory(*instance, 64, input);
    ASSERT_EQ(render.output.size(), input.size());
    EXPECT_EQ(render.result.latencyFrames, 0);
    for (std::size_t sample = 0; sample < input.size(); ++sample)
        ASSERT_NEAR(render.output[sample], input[sample], 1e-4) << "frame " << sample / 2;
}

TEST(Lv2FakeDelay, EachChannelHasItsOwnValidEventBuffersAndTheLateLatencyIsCompensated)
{
    TempFolder folder;
    const std::filesystem::path bundle = folder.path / "fake-delay.lv2";
    std::filesystem::create_directories(bundle);
    const std::string atom = "a lv2:InputPort, atom:AtomPort ; atom:bufferType atom:Sequence ;";
    std::ofstream(bundle / "manifest.ttl")
        << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
           "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
           "@prefix rsz: <http://lv2plug.in/ns/ext/resize-port#> .\n"
           "<urn:varnholt:fake-delay> a lv2:Plugin ; lv2:binary <file://" FAKE_LV2_DELAY_PATH
           "> ;\n"
           " lv2:requiredFeature <http://lv2plug.in/ns/ext/urid#map> ;\n"
        << audioPort(0, true) << audioPort(1, false) << " lv2:port [ " << atom
        << " lv2:index 2 ; lv2:symbol \"a\" ; lv2:name \"A\" ] ,\n"
        << " [ " << atom << " lv2:index 3 ; lv2:symbol \"b\" ; lv2:name \"B\" ] ,\n"
        << " [ a lv2:OutputPort, atom:AtomPort ; atom:bufferType atom:Sequence ;"
           " rsz:minimumSize 4096 ; lv2:index 4 ; lv2:symbol \"c\" ; lv2:name \"C\" ] ,\n"
           " [ a lv2:OutputPort, lv2:ControlPort ; lv2:designation lv2:latency ;"
           " lv2:index 5 ; lv2:symbol \"latency\" ; lv2:name \"Latency\" ] .\n";
    const std::vector<float> input = clicks(0.5f, -0.25f);
    for (int blockFrames : {1, 7, 64, kOddBlockFrames})
    {
        SCOPED_TRACE("block " + std::to_string(blockFrames));
        const auto instance =
            openPluginSource(bundle.string(), "")->instantiate(48000.0, blockFrames);
        const InMemoryRender render = renderInMemory(*instance, blockFrames, input);
        EXPECT_EQ(render.result.latencyFrames, 7);
        EXPECT_EQ(render.output, input);
    }
}

TEST_F(Lv2Command, EachWrongPlugInIsOneLineAndLeavesNoOutputBehind)
{
    const std::filesystem::path empty = folder.path / "empty.lv2";
    const std::filesystem::path noPlugin = folder.path / "no-plugin.lv2";
    const std::filesystem::path needsWorker = folder.path / "needs-worker.lv2";
    const std::filesystem::path oneToTwo = folder.path / "one-to-two.lv2";
    const std::filesystem::path two = folder.path / "two.lv2";
    const std::filesystem::path noLibrary = folder.path / "no-library.lv2";
    std::filesystem::create_directories(noLibrary);
    std::ofstream(noLibrary / "manifest.ttl")
        << "<urn:varnholt:gone> a <http://lv2plug.in/ns/lv2core#Plugin> ;"
           " <http://lv2plug.in/ns/lv2core#binary> <gone.so> .\n";
    std::filesystem::create_directories(empty);
    std::filesystem::create_directories(noPlugin);
    std::ofstream(noPlugin / "manifest.ttl") << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n";
    writeDescribedBundle(needsWorker, {"worker"},
                         "lv2:requiredFeature <http://lv2plug.in/ns/ext/urid#map>, "
                         "<http://lv2plug.in/ns/ext/worker#schedule> ;",
                         audioPort(0, true) + audioPort(1, false));
    writeDescribedBundle(oneToTwo, {"split"}, "",
                         audioPort(0, true) + audioPort(1, false) + audioPort(2, false));
    writeDescribedBundle(two, {"left", "right"}, "", audioPort(0, true) + audioPort(1, false));
    const std::string zam = kZamMaximBundle;
    const struct
    {
        std::vector<std::string> arguments;
        std::string message;
    } failures[] = {
        {{"--plugin", empty.string(), input},
         "the folder " + empty.string() + " holds no manifest.ttl, so it is no LV2 bundle"},
        {{"--plugin", noPlugin.string(), input},
         "the LV2 bundle " + noPlugin.string() + " holds no plug-in"},
        {{"--plugin", "urn:nobody:nothing", input},
         "no LV2 plug-in has the URI urn:nobody:nothing (searched LV2_PATH " +
             lv2Path.folder.path.string() + ")"},
        {{"--uri", kLspLimiterUri, input}, "no LV2 plug-in has the URI " + kLspLimiterUri},
        {{"--plugin", two.string(), input},
         "the LV2 bundle " + two.string() +
             " holds 2 plug-ins; choose one with --uri (--list shows them all): "
             "urn:varnholt:left, urn:varnholt:right"},
        {{"--plugin", two.string(), "--uri", kZamMaximUri, input},
         "the LV2 bundle " + two.string() + " holds no plug-in with the URI " + kZamMaximUri},
        {{"--plugin", "/usr/lib/vst/lsp-plugins/limiter-stereo.so", "--uri", kZamMaximUri, input},
         "--uri chooses among the plug-ins of an LV2 bundle folder"},
        {{"--plugin", needsWorker.string(), input},
         "the LV2 plug-in urn:varnholt:worker requires the feature "
         "http://lv2plug.in/ns/ext/worker#schedule, which varnholt-render does not provide"},
        {{"--plugin", oneToTwo.string(), input},
         "the LV2 plug-in urn:varnholt:split is neither a stereo nor a mono effect (it has 1 "
         "audio inputs and 2 audio outputs)"},
        {{"--plugin", noLibrary.string(), input},
         "the LV2 plug-in urn:varnholt:gone's library " + (noLibrary / "gone.so").string() +
             " does not exist"},
        {{"--plugin", zam, "--set", "ceil=5", input},
         "--set ceil=5: Output Ceiling takes -30 to 0 dB (LV2 values are in the port's units"},
        {{"--plugin", zam, "--set", "Output Ceiling=-30.5", input},
         "Output Ceiling takes -30 to 0 dB"},
        {{"--plugin", zam, "--set", "rel=nan", input}, "--set rel=nan: Release takes 1 to 100 ms"},
        {{"--plugin", zam, "--set", "ceil=low", input},
         "'low' is not a number (--set ceil=VALUE takes a value in the parameter's units)"},
        {{"--plugin", zam, "--set", "CEIL=-1", input}, "unknown parameter 'CEIL' (see --list)"},
        {{"--plugin", zam, "--set-raw", "ceil=-inf", input}, "the value must be finite"},
        {{"--plugin", zam, "--program", "Loud", input}, "unknown program 'Loud' (see --list)"},
        {{"--plugin", zam, "--program", "1", input},
         "program 1 does not exist (the plug-in has 1, numbered from 0)"},
    };
    const std::vector<std::string> before = folder.fileNames();
    for (const auto& failure : failures)
    {
        const CommandRun result = runCommand(failure.arguments);
        EXPECT_EQ(result.status, 1) << failure.message;
        EXPECT_EQ(result.errors.rfind("varnholt-render: ", 0), 0u) << result.errors;
        EXPECT_NE(result.errors.find(failure.message), std::string::npos) << result.errors;
        EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 1) << result.errors;
        EXPECT_TRUE(result.report.empty());
        EXPECT_EQ(folder.fileNames(), before) << failure.message;
    }
}

TEST_F(Lv2Command, SetsPortValuesBySymbolOrNameAndPresetsByNumberOrName)
{
    const struct
    {
        std::vector<std::string> arguments;
        std::vector<std::string> shown;
    } listings[] = {
        {{"--plugin", kZamMaximUri, "--set", "ceil=-3", "--set", " release =50"},
         {"Plug-in: ZaMaximX2", "  0  Zero", "Output Ceiling [ceil]: -3 dB (-30 to 0 dB)",
          "Release [rel]: 50 ms (1 to 100 ms)"}},
        {{"--plugin", kZamMaximBundle, "--set-raw", "ceil=-40"}, {"Output Ceiling [ceil]: -40 dB"}},
        {{"--plugin", kZamEqBundle, "--program", "carvedbass"},
         {"Boost/Cut L [boostl]: 6 dB", "Frequency L [fl]: 60 Hz", "Master Gain [master]: -6 dB"}},
        // Presets are numbered as the bundle numbers them (preset001..004): Zero, CarvedBass,
        // CarvedGuitar, CarvedVox.
        {{"--plugin", kZamEqBundle, "--program", "2", "--set", "master=2"},
         {"  0  Zero\n  1  CarvedBass\n", "Frequency 1 [f1]: 175 Hz", "Master Gain [master]: 2 dB"}},
        {{"--plugin", kLspBundle, "--uri", kLspLimiterUri},
         {"Operating mode [mode]: Herm Thin (0 to 11)", "Enabled [enabled]: on (0 to 1)"}},
        {{"--plugin", kLspBundle},
         {"Plug-ins in this bundle (choose one with --uri):", "  " + kLspLimiterUri + "\n"}},
    };
    for (const auto& listing : listings)
    {
        std::vector<std::string> arguments = listing.arguments;
        arguments.push_back("--list");
        const CommandRun result = runCommand(arguments);
        ASSERT_EQ(result.status, 0) << result.errors;
        for (const std::string& line : listing.shown)
            EXPECT_NE(result.report.find(line), std::string::npos) << line << "\n" << result.report;
    }
}

TEST_F(Lv2Command, RendersAFileThroughAnLv2PlugInWithItsLatencyCompensated)
{
    const std::string output = folder / "loud.wav";
    const CommandRun result = runCommand({"--plugin", kZamMaximUri, "--set", "thresh=-12", "--set",
                                          "ceil=-1", "--json", input, output});
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(
        result.report.rfind("{\"plugin\": {\"name\": \"ZaMaximX2\", \"latency_frames\": 480", 0),
        0u)
        << result.report;
    AudioReader rendered(output);
    EXPECT_EQ(rendered.frames(), static_cast<long long>(kInputFrames));
    std::vector<float> samples(2 * kInputFrames);
    ASSERT_EQ(rendered.read(samples.data(), kInputFrames), kInputFrames);
    const float peak =
        std::fabs(*std::max_element(samples.begin(), samples.end(),
                                    [](float a, float b) { return std::fabs(a) < std::fabs(b); }));
    // 12 dB of drive into a -1 dB ceiling: the ramp's 0.45 peak is raised and held below it.
    EXPECT_GT(peak, 0.8f);
    EXPECT_LE(peak, std::pow(10.0f, -1.0f / 20.0f) + 1e-4f);
}

#ifdef VARNHOLT_PLUGIN_PATH
TEST(Lv2OwnBundle, GivesTheSameSamplesAsOurVstLibraryAtDefaultsAndEveryProgram)
{
    if (!std::filesystem::is_directory(VARNHOLT_LV2_BUNDLE_PATH))
        GTEST_SKIP() << "our LV2 bundle is not built at " VARNHOLT_LV2_BUNDLE_PATH;
    std::vector<float> programme(2 * kInputFrames);
    for (std::size_t frame = 0; frame < kInputFrames; ++frame)
    {
        const double seconds = static_cast<double>(frame) / kSampleRateHz;
        programme[2 * frame] = static_cast<float>(0.9 * std::sin(2.0 * M_PI * 220.0 * seconds));
        programme[2 * frame + 1] = static_cast<float>(0.7 * std::sin(2.0 * M_PI * 331.0 * seconds));
    }
    const auto vstSource = openPluginSource(VARNHOLT_PLUGIN_PATH, "");
    const auto lv2Source = openPluginSource(VARNHOLT_LV2_BUNDLE_PATH, "");
    const auto numPrograms = vstSource->instantiate(kSampleRateHz, kOddBlockFrames)->numPrograms();
    for (int program = -1; program < numPrograms; ++program)
    {
        const auto vst = vstSource->instantiate(kSampleRateHz, kOddBlockFrames);
        const auto lv2 = lv2Source->instantiate(kSampleRateHz, kOddBlockFrames);
        if (program >= 0)
        {
            selectProgram(*vst, std::to_string(program));
            // --program N names the same program in both editions where the bundle has it.
            if (program < lv2->numPrograms())
            {
                EXPECT_EQ(nameKeyOf(lv2->programName(program)), nameKeyOf(vst->programName(program)));
                selectProgram(*lv2, std::to_string(program));
            }
            else
            {
                selectProgram(*lv2, vst->programName(program));
            }
        }
        SCOPED_TRACE(program < 0 ? "defaults" : vst->programName(program));
        // The engine's noise comes from the C library's shared generator: both start alike.
        std::srand(1);
        const InMemoryRender fromVst = renderInMemory(*vst, kOddBlockFrames, programme);
        std::srand(1);
        const InMemoryRender fromLv2 = renderInMemory(*lv2, kOddBlockFrames, programme);
        EXPECT_EQ(fromLv2.result.latencyFrames, 512);
        EXPECT_EQ(fromLv2.output, fromVst.output);
    }
}
#endif
