// The pieces mastering is built from: outputs put in place whole, the measured course of a
// programme, and gain reduction seen from outside.
#include "host/AudioFile.h"
#include "host/FileLoudnessMeter.h"
#include "host/GainReduction.h"
#include "host/HostError.h"
#include "host/OutputFile.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestProgrammes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace
{
std::vector<char> fileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
} // namespace

TEST(OutputFile, AppearsWholeOrNotAtAll)
{
    TempFolder folder;
    const std::vector<char> bytes(100000, 'x');
    writeFileInPlace(folder / "out.wav", bytes);
    writeFileInPlace(folder / "out.wav", std::vector<char>(10, 'y')); // replaces, whole
    EXPECT_EQ(fileBytes(folder / "out.wav"), std::vector<char>(10, 'y'));
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"out.wav"});

    EXPECT_THROW(writeFileInPlace(folder / "missing/out.wav", bytes), HostError);
    std::filesystem::create_directory(folder / "taken.wav"); // a folder where the file would go
    EXPECT_THROW(writeFileInPlace(folder / "taken.wav", bytes), HostError);
    EXPECT_EQ(folder.fileNames(), (std::vector<std::string>{"out.wav", "taken.wav"}));
    EXPECT_TRUE(std::filesystem::is_empty(folder / "taken.wav"));
}

TEST(FileLoudnessMeter, TracesEvery100MillisecondsWithTheTruePeakOfEachStep)
{
    const std::size_t frames = static_cast<std::size_t>(1.05 * kProgrammeRateHz);
    std::vector<float> samples(2 * frames, 0.0f);
    for (std::size_t frame = 0; frame < frames; ++frame)
        samples[2 * frame] = samples[2 * frame + 1] =
            0.1f * static_cast<float>(std::sin(0.05 * static_cast<double>(frame)));
    // Early in its step, in the first of the two chunks that step is added in.
    const std::size_t clickFrame = static_cast<std::size_t>(0.51 * kProgrammeRateHz);
    samples[2 * clickFrame] = 0.9f;

    FileLoudnessMeter meter(kProgrammeRateHz, 1.0f);
    // Uneven chunks, so steps end inside them and span several.
    for (std::size_t done = 0; done < frames;)
    {
        const std::size_t chunk = std::min<std::size_t>(3001, frames - done);
        meter.add(samples.data() + 2 * done, chunk);
        done += chunk;
    }
    meter.finish();
    const LoudnessTrace& trace = meter.trace();
    ASSERT_EQ(trace.truePeakDbtp.size(), 11u) << "ten whole steps and the last half one";
    ASSERT_EQ(trace.meanSquare.size(), 11u);
    ASSERT_EQ(trace.shortTermLufs.size(), 11u);
    for (std::size_t step = 0; step < 11; ++step)
    {
        if (step == 5)
            EXPECT_NEAR(trace.truePeakDbtp[step], 20.0 * std::log10(0.9), 0.5);
        else
            EXPECT_NEAR(trace.truePeakDbtp[step], -20.0, 0.5) << step;
        EXPECT_NEAR(trace.meanSquare[step], 0.005, step == 5 ? 0.001 : 0.0002) << step;
    }
    EXPECT_DOUBLE_EQ(meter.figures().truePeakDbtp,
                     *std::max_element(trace.truePeakDbtp.begin(), trace.truePeakDbtp.end()));
}

TEST(GainReduction, IsTheOutputsShortfallAgainstTheLinearGain)
{
    const struct
    {
        double inputMeanSquare;
        double outputMeanSquare;
        double gainDb;
        double reductionDb;
    } cases[] = {
        {0.25, 0.0625, 0.0, 6.0206},  // half the level out
        {0.25, 0.25, 6.0206, 6.0206}, // drive +6 dB that the limiter took back entirely
        {0.25, 1.0, 6.0206, 0.0},     // drive passed straight through
        {0.25, 2.0, 0.0, 0.0},        // louder than the gains explain: no reduction
        {1e-12, 1e-14, 0.0, 0.0},     // too quiet to tell
        {0.25, 0.0, 0.0, 0.0},        // silence out of nothing to compare
    };
    for (const auto& test : cases)
    {
        const std::vector<double> reduction =
            gainReductionDb({test.inputMeanSquare}, {test.outputMeanSquare}, test.gainDb);
        ASSERT_EQ(reduction.size(), 1u);
        EXPECT_NEAR(reduction[0], test.reductionDb, 1e-3)
            << test.inputMeanSquare << " " << test.outputMeanSquare << " " << test.gainDb;
    }
}
