// varnholt-render --target-lufs through our plug-in: written files measured independently, goals
// out of reach, albums, batches with a bad file, identical results whatever the job count, plots.
#include "CommandRun.h"
#include "SoundFileWriter.h"
#include "host/RenderCommand.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestProgrammes.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#ifdef VARNHOLT_PLUGIN_PATH
namespace
{
constexpr double kProgrammeSeconds = 10.0;

CommandRun run(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), {"--plugin", VARNHOLT_PLUGIN_PATH});
    return runCommand(arguments);
}

std::string writeProgramme(const TempFolder& folder, const std::string& name, Character character,
                           std::uint32_t seed = 1, double gainDb = 0.0)
{
    const std::string path = folder / name;
    writeSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kProgrammeRateHz,
                   generateProgramme(character, kProgrammeSeconds, seed, gainDb));
    return path;
}

std::vector<char> fileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
} // namespace

// A representative subset of programmes x goals x output formats (the full product takes too
// long for the suite): every goal meets every programme character once and each output format
// several times, 16-bit always with the plug-in's dither.
TEST(Mastering, WrittenFilesMeetTheTargetAndCeiling)
{
    const std::vector<std::string> float32 = {"--format", "float32"};
    const std::vector<std::string> int24 = {"--format", "int24", "--set-raw", "Dithering=2"};
    const std::vector<std::string> int16 = {"--format", "int16", "--set-raw", "Dithering=4"};
    const struct
    {
        Character character;
        double targetLufs;
        double ceilingDbtp;
        const std::vector<std::string>& format;
    } cases[] = {
        {Character::dense, -23, -2, int16},    {Character::dynamic, -23, -2, float32},
        {Character::speech, -23, -2, int24},   {Character::peaky, -23, -2, int16},
        {Character::dense, -16, -1, int24},    {Character::dynamic, -16, -1, int16},
        {Character::speech, -16, -1, float32}, {Character::peaky, -16, -1, int24},
        {Character::dense, -14, -1, float32},  {Character::dynamic, -14, -1, int24},
        {Character::speech, -14, -1, int16},   {Character::peaky, -14, -1, float32},
        {Character::dense, -9, -1, int16},     {Character::dynamic, -9, -1, float32},
    };
    TempFolder folder;
    int index = 0;
    for (const auto& test : cases)
    {
        const std::string label = "case " + std::to_string(index);
        const std::string input =
            writeProgramme(folder, "in" + std::to_string(index) + ".wav", test.character);
        const std::string output = folder / ("out" + std::to_string(index++) + ".wav");
        std::vector<std::string> arguments = {"--target-lufs", std::to_string(test.targetLufs),
                                              "--ceiling-dbtp", std::to_string(test.ceilingDbtp),
                                              "--json"};
        arguments.insert(arguments.end(), test.format.begin(), test.format.end());
        arguments.insert(arguments.end(), {input, output});
        const CommandRun result = run(arguments);
        ASSERT_EQ(result.status, 0) << label << ": " << result.errors;
        const MeasuredFile written = measureFile(output);
        // The figures land in --gtest_output=xml for the record.
        ::testing::Test::RecordProperty(label + " LUFS", std::to_string(written.integratedLufs));
        ::testing::Test::RecordProperty(label + " dBTP", std::to_string(written.truePeakDbtp));
        EXPECT_NEAR(written.integratedLufs, test.targetLufs, 0.1) << label;
        EXPECT_LE(written.truePeakDbtp, test.ceilingDbtp) << label;
        EXPECT_NE(result.report.find("\"passes\": [{"), std::string::npos) << label;
    }
}

TEST(Mastering, GoalsThatCannotBeMetWriteNothingAndSayHowLoudItCanGo)
{
    TempFolder folder;
    const std::string dense = writeProgramme(folder, "dense.wav", Character::dense);
    const CommandRun result = run({"--target-lufs", "-3", dense, folder / "out.wav"});
    EXPECT_EQ(result.status, 1);
    const std::string prefix = "varnholt-render: cannot reach -3.0 LUFS under -1.0 dBTP: at most ";
    ASSERT_EQ(result.errors.rfind(prefix, 0), 0u) << result.errors;
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"dense.wav"});

    // The figure given is reachable, and not far below what is.
    const std::string loudest = result.errors.substr(
        prefix.size(), result.errors.find(" LUFS", prefix.size()) - prefix.size());
    const CommandRun atLoudest =
        run({"--target-lufs", loudest, "--json", dense, folder / "out.wav"});
    EXPECT_EQ(atLoudest.status, 0) << atLoudest.errors;
    EXPECT_NEAR(measureFile(folder / "out.wav").integratedLufs, std::stod(loudest), 0.1);
    const CommandRun beyond = run(
        {"--target-lufs", std::to_string(std::stod(loudest) + 0.5), dense, folder / "more.wav"});
    EXPECT_NE(beyond.status, 0);

    writeSoundFile(folder / "silence.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kProgrammeRateHz,
                   std::vector<float>(2 * kProgrammeRateHz, 0.0f));
    writeSoundFile(folder / "short.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kProgrammeRateHz,
                   generateProgramme(Character::dense, 0.2));
    const struct
    {
        const char* input;
        std::string message;
        std::string output;
    } refused[] = {{"silence.wav", "is silent", folder / "x.wav"},
                   {"short.wav", "is too short to measure", folder / "x.wav"},
                   {"dense.wav", "cannot write " + (folder / "missing/x.wav") + ": No such file",
                    folder / "missing/x.wav"}};
    const std::vector<std::string> before = folder.fileNames();
    for (const auto& test : refused)
    {
        const CommandRun refusal = run({"--target-lufs", "-14", folder / test.input, test.output});
        EXPECT_EQ(refusal.status, 1);
        EXPECT_NE(refusal.errors.find(test.message), std::string::npos) << refusal.errors;
        EXPECT_EQ(std::count(refusal.errors.begin(), refusal.errors.end(), '\n'), 1);
        EXPECT_EQ(folder.fileNames(), before) << test.message;
    }
}

TEST(Mastering, AlbumKeepsTheTracksApartAndMeetsTheGoalAsOneProgramme)
{
    TempFolder folder;
    const double gainsDb[] = {0.0, -4.0, -8.0};
    std::vector<std::string> arguments = {"--target-lufs", "-16", "--album", "--output-dir",
                                          folder / "album"};
    for (int track = 0; track < 3; ++track)
        arguments.push_back(writeProgramme(folder, "track" + std::to_string(track) + ".wav",
                                           Character::dense, track + 1, gainsDb[track] - 10.0));
    const CommandRun result = run(arguments);
    ASSERT_EQ(result.status, 0) << result.errors;

    std::vector<float> album;
    std::vector<double> differences;
    for (int track = 0; track < 3; ++track)
    {
        const std::string name = "track" + std::to_string(track) + ".wav";
        const MeasuredFile in = measureFile(folder / name);
        const MeasuredFile out = measureFile(folder / ("album/" + name));
        EXPECT_LE(out.truePeakDbtp, -1.0) << name;
        differences.push_back(out.integratedLufs - in.integratedLufs);
        album.insert(album.end(), out.samples.begin(), out.samples.end());
    }
    EXPECT_NEAR(differences[1], differences[0], 0.1);
    EXPECT_NEAR(differences[2], differences[0], 0.1);
    writeSoundFile(folder / "album.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kProgrammeRateHz,
                   album);
    EXPECT_NEAR(measureFile(folder / "album.wav").integratedLufs, -16.0, 0.1);
}

TEST(Mastering, AlbumThroughAPluginWithoutDriveFailsCleanlyOnEveryJobCount)
{
    TempFolder folder;
    const std::vector<std::string> inputs = {writeProgramme(folder, "a.wav", Character::dense),
                                             writeProgramme(folder, "b.wav", Character::peaky)};
    for (const char* jobs : {"1", "2"})
    {
        std::ostringstream report, errors;
        const int status =
            runRenderCommand({"--plugin", FAKE_MAIN_ONLY_PATH, "--target-lufs", "-14", "--album",
                              "--jobs", jobs, "--output-dir", folder / "out", inputs[0], inputs[1]},
                             report, errors);
        EXPECT_EQ(status, 1) << jobs;
        EXPECT_NE(errors.str().find("needs a plug-in with \"Input drive\""), std::string::npos)
            << errors.str();
        EXPECT_FALSE(std::filesystem::exists(folder / "out/a.wav")) << jobs;
    }
}

TEST(Mastering, BatchReportsABadFileCompletesTheOthersAndIgnoresTheJobCount)
{
    TempFolder folder;
    std::vector<std::string> inputs = {writeProgramme(folder, "a.wav", Character::dense, 1),
                                       folder / "broken.wav",
                                       writeProgramme(folder, "b.wav", Character::dynamic, 2),
                                       writeProgramme(folder, "c.wav", Character::peaky, 3)};
    std::ofstream(folder / "broken.wav") << "RIFF, but not really";
    std::vector<std::vector<char>> inputBytes;
    for (const std::string& input : inputs)
        inputBytes.push_back(fileBytes(input));
    for (const char* jobs : {"1", "3"})
    {
        std::vector<std::string> arguments = {
            "--target-lufs", "-14",
            "--jobs",        jobs,
            "--output-dir",  folder / ("jobs" + std::string(jobs))};
        arguments.insert(arguments.end(), inputs.begin(), inputs.end());
        const CommandRun result = run(arguments);
        EXPECT_EQ(result.status, 1) << jobs;
        EXPECT_NE(result.errors.find("broken.wav: cannot read"), std::string::npos)
            << result.errors;
        EXPECT_NE(result.report.find("3 written, 1 failed"), std::string::npos) << result.report;
        EXPECT_NE(result.report.find("failed: cannot read"), std::string::npos) << result.report;
    }
    for (const char* name : {"a.wav", "b.wav", "c.wav"})
    {
        const std::vector<char> one = fileBytes(folder / ("jobs1/" + std::string(name)));
        EXPECT_FALSE(one.empty()) << name;
        EXPECT_EQ(one, fileBytes(folder / ("jobs3/" + std::string(name)))) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "jobs1/broken.wav"));
    // The same batch for scripts: every file with its status, the goal, no album figure.
    std::vector<std::string> jsonArguments = {"--target-lufs", "-14", "--json", "--output-dir",
                                              folder / "json"};
    jsonArguments.insert(jsonArguments.end(), inputs.begin(), inputs.end());
    const CommandRun json = run(jsonArguments);
    EXPECT_EQ(json.status, 1);
    for (const char* expected :
         {"{\"goal\": {\"target_lufs\": -14.00, \"ceiling_dbtp\": -1.00}",
          "\"album_integrated_lufs\": null", "\"status\": \"failed\", \"error\": \"cannot read",
          "\"output_integrated_lufs\": "})
    {
        EXPECT_NE(json.report.find(expected), std::string::npos) << expected << "\n" << json.report;
    }
    EXPECT_EQ(fileBytes(folder / "json/a.wav"), fileBytes(folder / "jobs1/a.wav"));
    for (std::size_t input = 0; input < inputs.size(); ++input)
        EXPECT_EQ(fileBytes(inputs[input]), inputBytes[input]) << "inputs are never touched";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "jobs3"),
                            std::filesystem::directory_iterator()),
              3);
}

TEST(Mastering, BatchRefusesOutputsThatWouldOverwriteAnInputOrEachOther)
{
    TempFolder folder;
    std::filesystem::create_directories(folder / "a");
    std::filesystem::create_directories(folder / "out");
    const std::string first = writeProgramme(folder, "a/x.wav", Character::dense, 1);
    const std::string second = writeProgramme(folder, "out/x.wav", Character::peaky, 2);
    const std::vector<char> secondBytes = fileBytes(second);
    const CommandRun overInput =
        run({"--jobs", "2", "--output-dir", folder / "out", first, folder / "a/../out/x.wav"});
    EXPECT_EQ(overInput.status, 1);
    EXPECT_NE(overInput.errors.find("x.wav: the output would overwrite the input file"),
              std::string::npos)
        << overInput.errors;
    EXPECT_NE(overInput.report.find("0 written, 2 failed"), std::string::npos) << overInput.report;
    EXPECT_EQ(fileBytes(second), secondBytes);

    // x.wav and x.flac would share x.png; b.wav is unaffected.
    const std::string flac = folder / "x.flac";
    writeSoundFile(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, kProgrammeRateHz,
                   generateProgramme(Character::dynamic, 1.0));
    const CommandRun plots = run({"--plot", "--output-dir", folder / "plots", first, flac,
                                  writeProgramme(folder, "b.wav", Character::dynamic, 3)});
    EXPECT_EQ(plots.status, 1);
    EXPECT_NE(plots.errors.find("x.flac: another input already writes " + (folder / "plots/x.png")),
              std::string::npos)
        << plots.errors;
    EXPECT_NE(plots.report.find("2 written, 1 failed"), std::string::npos) << plots.report;
    EXPECT_FALSE(std::filesystem::exists(folder / "plots/x.flac"));
}

TEST(Mastering, APlotThatCannotBeWrittenLeavesNoAudioEither)
{
    TempFolder folder;
    const std::string input = writeProgramme(folder, "song.wav", Character::dynamic);
    std::filesystem::create_directories(folder / "song-m.png"); // in the plot's way
    const CommandRun result = run({"--plot", input, folder / "song-m.wav"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("song-m.png"), std::string::npos) << result.errors;
    EXPECT_FALSE(std::filesystem::exists(folder / "song-m.wav"));
}

TEST(Mastering, PlotIsBesideTheOutputAtItsStatedSizeAndShowsTheTraces)
{
    TempFolder folder;
    const std::string input = writeProgramme(folder, "song.wav", Character::dynamic);
    const CommandRun result = run({"--target-lufs", "-14", "--plot", input, folder / "song-m.wav"});
    ASSERT_EQ(result.status, 0) << result.errors;
    cairo_surface_t* plot = cairo_image_surface_create_from_png((folder / "song-m.png").c_str());
    ASSERT_EQ(cairo_surface_status(plot), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(plot), 1200);
    EXPECT_EQ(cairo_image_surface_get_height(plot), 700);
    // Not blank: many colours, among them the output trace's blue and the reduction's red.
    std::set<std::uint32_t> colours;
    const unsigned char* pixels = cairo_image_surface_get_data(plot);
    const int stride = cairo_image_surface_get_stride(plot);
    bool blue = false, red = false;
    for (int y = 0; y < 700; ++y)
    {
        for (int x = 0; x < 1200; ++x)
        {
            const std::uint32_t pixel =
                *reinterpret_cast<const std::uint32_t*>(pixels + y * stride + 4 * x) & 0xffffff;
            colours.insert(pixel);
            const int r = pixel >> 16, g = (pixel >> 8) & 0xff, b = pixel & 0xff;
            blue = blue || (b > 200 && r < 120 && g > 150);
            red = red || (r > 180 && g < 120 && b < 120);
        }
    }
    cairo_surface_destroy(plot);
    EXPECT_GT(colours.size(), 50u);
    EXPECT_TRUE(blue);
    EXPECT_TRUE(red);
}
#endif
