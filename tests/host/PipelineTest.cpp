// The one render pipeline seen from outside: memory that follows what is read, figures of the file
// as written, inputs it cannot trust refused or warned about, the same master through both
// editions, and JSON that stays JSON.
#include "CommandRun.h"
#include "Lv2Peers.h"
#include "SoundFileWriter.h"
#include "host/AudioFile.h"
#include "host/FileLoudnessMeter.h"
#include "host/FileTruePeakMeter.h"
#include "host/GainReduction.h"
#include "host/MasteringReport.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestProgrammes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <limits>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace
{
std::vector<char> fileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<char>& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
}

struct ChildRun
{
    int status;
    long peakResidentKb;
    std::string errors;
};

// The renderer as its own process, so its peak resident memory is its own.
ChildRun runRenderer(const std::vector<std::string>& arguments, const std::string& errorsPath)
{
    const pid_t child = fork();
    if (child == 0)
    {
        const int errors = open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(errors, STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        // A plot leaves fontconfig's caches to the end of the process, which a sanitized
        // program's leak check would count; the in-process tests check leaks with them released.
        setenv("ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1", 1);
        std::vector<char*> argv = {const_cast<char*>(VARNHOLT_RENDER_PATH)};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    std::ifstream errors(errorsPath);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            usage.ru_maxrss,
            {std::istreambuf_iterator<char>(errors), std::istreambuf_iterator<char>()}};
}

void putLittleEndian32(std::vector<char>& bytes, std::size_t at, std::uint32_t value)
{
    for (int byte = 0; byte < 4; ++byte)
        bytes[at + byte] = static_cast<char>((value >> (8 * byte)) & 0xff);
}
} // namespace

TEST(Pipeline, MemoryFollowsWhatIsReadNotWhatHeadersClaim)
{
    constexpr long kMostResidentKb = 120 * 1024; // a whole 20 s float file would fit; 8 GB not
    TempFolder folder;
    const std::vector<float> programme = generateProgramme(Character::dense, 20.0, 3, -6.0);
    const std::size_t frames = programme.size() / 2;

    // What `ffmpeg -f wav -` writes: a header claiming the largest size, through a pipe.
    writeSoundFile(folder / "song.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, kProgrammeRateHz,
                   programme);
    std::vector<char> streamed = fileBytes(folder / "song.wav");
    putLittleEndian32(streamed, 4, 0xFFFFFFFF);
    putLittleEndian32(streamed, 40, 0xFFFFFFFF);
    ASSERT_EQ(mkfifo((folder / "pipe.wav").c_str(), 0600), 0);
    std::thread feeder([&] { writeBytes(folder / "pipe.wav", streamed); });
    const ChildRun piped =
        runRenderer({"--target-lufs", "-16", folder / "pipe.wav", folder / "piped-out.wav"},
                    folder / "errors.txt");
    feeder.join();
    EXPECT_EQ(piped.status, 0) << piped.errors;
    EXPECT_LT(piped.peakResidentKb, kMostResidentKb);
    EXPECT_EQ(AudioReader(folder / "piped-out.wav").frames(), static_cast<long long>(frames));
    EXPECT_NEAR(measureFile(folder / "piped-out.wav").integratedLufs, -16.0, 0.1);
    EXPECT_EQ(folder.fileNames(),
              (std::vector<std::string>{"errors.txt", "pipe.wav", "piped-out.wav", "song.wav"}))
        << "the copy of the stream is gone";

    // A FLAC whose stream information claims 10^9 frames.
    writeSoundFile(folder / "claims.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, kProgrammeRateHz,
                   programme);
    std::vector<char> flac = fileBytes(folder / "claims.flac");
    ASSERT_EQ(std::string(flac.data(), 4), "fLaC");
    const std::uint64_t claimedFrames = 1000000000;
    flac[21] = static_cast<char>((flac[21] & 0xf0) | ((claimedFrames >> 32) & 0x0f));
    for (int byte = 0; byte < 4; ++byte)
        flac[22 + byte] = static_cast<char>((claimedFrames >> (8 * (3 - byte))) & 0xff);
    writeBytes(folder / "claims.flac", flac);
    const ChildRun plotted =
        runRenderer({"--plot", folder / "claims.flac", folder / "plot.wav"}, folder / "errors.txt");
    EXPECT_EQ(plotted.status, 0) << plotted.errors;
    EXPECT_LT(plotted.peakResidentKb, kMostResidentKb);
    EXPECT_NE(plotted.errors.find("warning: " + (folder / "claims.flac") + " ends after " +
                                  std::to_string(frames) + " frames although its header says " +
                                  std::to_string(claimedFrames)),
              std::string::npos)
        << plotted.errors;
    EXPECT_EQ(AudioReader(folder / "plot.wav").frames(), static_cast<long long>(frames));
}

TEST(Pipeline, InputsItCannotTrustAreNamedAndLeaveNothingBehind)
{
    TempFolder folder;
    std::vector<float> samples = generateProgramme(Character::dynamic, 2.0);
    samples[2 * 12345 + 1] = std::numeric_limits<float>::quiet_NaN();
    writeSoundFile(folder / "nan.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kProgrammeRateHz,
                   samples);
    samples[2 * 12345 + 1] = std::numeric_limits<float>::infinity();
    writeSoundFile(folder / "inf.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kProgrammeRateHz,
                   samples);
    writeSoundFile(folder / "slow.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 3000,
                   generateProgramme(Character::dynamic, 1.0));
    // Data that ends before its header says: the second half of the file is gone.
    writeSoundFile(folder / "whole.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, kProgrammeRateHz,
                   generateProgramme(Character::dense, 4.0));
    std::vector<char> whole = fileBytes(folder / "whole.wav");
    whole.resize(44 + 2 * kProgrammeRateHz * 4);
    writeBytes(folder / "cut.wav", whole);
    std::filesystem::remove(folder / "whole.wav");

    const std::vector<std::string> before = folder.fileNames();
    const struct
    {
        std::vector<std::string> arguments;
        std::string message;
    } refused[] = {
        {{"--plugin", FAKE_MAIN_ONLY_PATH, folder / "nan.wav", folder / "out.wav"},
         "nan.wav has non-finite samples (NaN or infinity) from frame 12345"},
        {{"--plugin", FAKE_MAIN_ONLY_PATH, "--json", "--plot", folder / "inf.wav",
          folder / "out.wav"},
         "inf.wav has non-finite samples (NaN or infinity) from frame 12345"},
        {{"--plugin", FAKE_MAIN_ONLY_PATH, folder / "slow.wav", folder / "out.wav"},
         "slow.wav is at 3000 Hz, where loudness cannot be measured"},
        {{"--plugin", FAKE_MAIN_ONLY_PATH, "--target-lufs", "-14", folder / "cut.wav",
          folder / "out.wav"},
         "cut.wav ends after 88200 frames although its header says 176400: a master of the "
         "whole file cannot be made"},
    };
    for (const auto& test : refused)
    {
        const CommandRun result = runCommand(test.arguments);
        EXPECT_EQ(result.status, 1) << test.message;
        EXPECT_NE(result.errors.find(test.message), std::string::npos) << result.errors;
        EXPECT_TRUE(result.report.empty()) << result.report;
        EXPECT_EQ(folder.fileNames(), before) << test.message;
    }
    // A plain render of what there is, said aloud.
    const CommandRun plain =
        runCommand({"--plugin", FAKE_MAIN_ONLY_PATH, folder / "cut.wav", folder / "out.wav"});
    EXPECT_EQ(plain.status, 0) << plain.errors;
    EXPECT_EQ(plain.errors, "varnholt-render: warning: " + (folder / "cut.wav") +
                                " ends after 88200 frames although its header says 176400; the "
                                "output holds what there was\n");
}

TEST(Pipeline, TheOutputColumnMeasuresTheFileAsWrittenAndRendersRepeatExactly)
{
    TempFolder folder;
    // Twice full scale through a pass-through: a 16-bit file holds it clipped at the top code.
    std::vector<float> loud = generateProgramme(Character::dense, 4.0, 5, 6.0);
    for (float& sample : loud)
        sample = std::clamp(sample * 2.0f, -2.0f, 2.0f);
    writeSoundFile(folder / "loud.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kProgrammeRateHz, loud);
    const CommandRun int16 = runCommand({"--plugin", FAKE_MAIN_ONLY_PATH, "--format", "int16",
                                         "--json", folder / "loud.wav", folder / "16.wav"});
    ASSERT_EQ(int16.status, 0) << int16.errors;
    const std::string output = int16.report.substr(int16.report.find("\"output\""));
    EXPECT_NE(output.find("\"sample_peak_dbfs\": 0.00,"), std::string::npos) << output;

    // A run at the float clamp level is clipping, in float outputs too.
    std::vector<float> clamped(2 * kProgrammeRateHz, 0.25f);
    std::fill_n(clamped.begin() + 1000, 40, 0.99999994f);
    writeSoundFile(folder / "clamped.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kProgrammeRateHz,
                   clamped);
    const CommandRun floats = runCommand(
        {"--plugin", FAKE_MAIN_ONLY_PATH, folder / "clamped.wav", folder / "clamped-out.wav"});
    ASSERT_EQ(floats.status, 0) << floats.errors;
    EXPECT_NE(floats.report.find("Samples at full scale          40         40"), std::string::npos)
        << floats.report;

    // No time-stamped chunk: the same render twice is the same file.
    const CommandRun again = runCommand(
        {"--plugin", FAKE_MAIN_ONLY_PATH, folder / "clamped.wav", folder / "clamped-again.wav"});
    ASSERT_EQ(again.status, 0) << again.errors;
    EXPECT_EQ(fileBytes(folder / "clamped-out.wav"), fileBytes(folder / "clamped-again.wav"));
}

TEST(Pipeline, JsonHoldsNoNumberThatIsNone)
{
    const double infinity = std::numeric_limits<double>::infinity();
    FileOutcome file;
    file.file = {"in.wav", "out.wav"};
    file.frames = 100;
    file.sampleRateHz = 44100;
    file.input = {-infinity, 0.0, -infinity, -infinity, infinity, 0};
    file.output = {infinity, std::nan(""), -infinity, infinity, infinity, 0};
    file.maxGainReductionDb = infinity;
    file.drivePosition = 0.5;
    file.driveDb = std::nan("");
    file.trimDb = infinity;
    file.passes = {{infinity, -infinity, std::nan(""), infinity}};
    BatchOutcome batch;
    batch.files = {file};
    batch.albumLufs = infinity;
    for (const std::string& json :
         {formatFileReportJson(file, MasteringGoal{}), formatBatchJson(batch, MasteringGoal{}),
          formatPlainReportJson(file)})
    {
        EXPECT_EQ(json.find("inf"), std::string::npos) << json;
        EXPECT_EQ(json.find("nan"), std::string::npos) << json;
    }
    EXPECT_NE(formatBatchJson(batch, MasteringGoal{}).find("\"max_gain_reduction_db\": null"),
              std::string::npos);
}

TEST(FileLoudnessMeter, ShortTermStartsWhereItsWindowIsFullAndTruePeaksAreFoundBetweenSamples)
{
    // A sine at a quarter of the rate, 45 degrees off its samples: they read 3 dB under its peak.
    constexpr double kQuarterRateSine = 3.14159265358979323846 / 2.0;
    const std::size_t frames = 5 * kProgrammeRateHz;
    std::vector<float> samples(2 * frames);
    for (std::size_t frame = 0; frame < frames; ++frame)
        samples[2 * frame] = samples[2 * frame + 1] = static_cast<float>(
            0.5 * std::sin(kQuarterRateSine * static_cast<double>(frame) + kQuarterRateSine / 2.0));
    FileLoudnessMeter meter(kProgrammeRateHz, 1.0f);
    meter.add(samples.data(), frames);
    meter.finish();
    const LoudnessTrace& trace = meter.trace();
    ASSERT_EQ(trace.shortTermLufs.size(), 50u);
    for (std::size_t step = 0; step < 29; ++step)
        EXPECT_TRUE(std::isinf(trace.shortTermLufs[step])) << step;
    for (std::size_t step = 29; step < 50; ++step)
        EXPECT_NEAR(trace.shortTermLufs[step], meter.figures().integratedLufs, 0.05) << step;
    EXPECT_NEAR(meter.figures().samplePeakDbfs, 20.0 * std::log10(0.5 * std::sqrt(0.5)), 0.01);
    // Away from the start, whose sudden onset overshoots between samples as it would in a DAC.
    for (std::size_t step = 10; step < 50; step += 10)
        EXPECT_NEAR(trace.truePeakDbtp[step], 20.0 * std::log10(0.5), 0.02) << step;
}

#ifdef VARNHOLT_PLUGIN_PATH
TEST(Pipeline, EveryEditionMastersAFileToTheSameSettingsAndSamples)
{
    if (!std::filesystem::exists(VARNHOLT_LV2_BUNDLE_PATH "/manifest.ttl"))
        GTEST_SKIP() << "our LV2 bundle is not built at " VARNHOLT_LV2_BUNDLE_PATH;
    TempFolder folder;
    writeSoundFile(folder / "song.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kProgrammeRateHz,
                   generateProgramme(Character::dynamic, 8.0, 4, -3.0));
    const std::vector<std::pair<std::string, std::string>> editions = {
        {VARNHOLT_PLUGIN_PATH, "vst.wav"},
        {VARNHOLT_LV2_BUNDLE_PATH, "lv2.wav"},
#ifdef VARNHOLT_VST3_BUNDLE_PATH
        {VARNHOLT_VST3_BUNDLE_PATH, "vst3.wav"},
        {VARNHOLT_CLAP_PATH, "clap.wav"},
#endif
    };
    std::vector<std::string> settings;
    for (const auto& [plugin, output] : editions)
    {
        const CommandRun result = runCommand(
            {"--plugin", plugin, "--target-lufs", "-14", folder / "song.wav", folder / output});
        ASSERT_EQ(result.status, 0) << plugin << ": " << result.errors;
        const std::size_t at = result.report.find("Settings  ");
        ASSERT_NE(at, std::string::npos) << result.report;
        settings.push_back(result.report.substr(at, result.report.find('\n', at) - at));
        settings.back() += result.report.substr(result.report.find("\nPass"));
    }
    for (std::size_t edition = 1; edition < editions.size(); ++edition)
    {
        EXPECT_EQ(settings[edition], settings[0]) << editions[edition].first;
        EXPECT_EQ(fileBytes(folder / editions[edition].second), fileBytes(folder / "vst.wav"))
            << editions[edition].first;
    }

    // Another vendor's LV2 limiter has no drive and trim we know in dB.
    const CommandRun other = runCommand({"--plugin", kZamMaximBundle, "--target-lufs", "-14",
                                         folder / "song.wav", folder / "other.wav"});
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.errors.find("needs a plug-in with \"Input drive\" and \"Output trim\""),
              std::string::npos)
        << other.errors;
    EXPECT_FALSE(std::filesystem::exists(folder / "other.wav"));
}

TEST(Pipeline, AGentleMasterWarnsOfNothing)
{
    TempFolder folder;
    writeSoundFile(folder / "dense.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kProgrammeRateHz,
                   generateProgramme(Character::dense, 8.0, 2));
    const CommandRun gentle = runCommand({"--plugin", VARNHOLT_PLUGIN_PATH, "--target-lufs", "-23",
                                          folder / "dense.wav", folder / "gentle.wav"});
    ASSERT_EQ(gentle.status, 0) << gentle.errors;
    EXPECT_EQ(gentle.errors, "");
}

// The demo's sparse drum intro comes out as its loudest passage once the song under it is
// limited hard: the warning looks where the programme itself is loudest.
TEST(Pipeline, ALoudMasterWarnsOfTheLimitingInTheProgrammesLoudestPassage)
{
    TempFolder folder;
    ASSERT_EQ(runCommand({"--plugin", VARNHOLT_PLUGIN_PATH, "--output-dir", folder / ""}).status,
              0);
    const CommandRun loud = runCommand({"--plugin", VARNHOLT_PLUGIN_PATH, "--target-lufs", "-10.5",
                                        folder / "varnholt-demo-input.wav", folder / "loud.wav"});
    ASSERT_EQ(loud.status, 0) << loud.errors;
    EXPECT_NE(loud.errors.find("warning: the master needs heavy limiting: "), std::string::npos)
        << loud.errors;
}
#endif

TEST(GainReduction, OfTheLoudestSecondsIsTheMeanOverTheThreeSecondsEndingAtTheLoudestStep)
{
    const double silence = -std::numeric_limits<double>::infinity();
    std::vector<double> shortTermLufs(100, -20.0), reductionDb(100, 1.0);
    shortTermLufs[0] = silence;
    shortTermLufs[70] = -9.0; // the loudest window ends here
    std::fill(reductionDb.begin() + 41, reductionDb.begin() + 71, 8.0);
    reductionDb[90] = 30.0; // a single loud click elsewhere does not count
    EXPECT_DOUBLE_EQ(loudestSecondsReductionDb(reductionDb, shortTermLufs), 8.0);
    // Early in the programme the window is what there is.
    shortTermLufs[5] = -1.0;
    EXPECT_DOUBLE_EQ(loudestSecondsReductionDb(reductionDb, shortTermLufs), 1.0);
    EXPECT_DOUBLE_EQ(loudestSecondsReductionDb(reductionDb, std::vector<double>(100, silence)),
                     0.0);
}
