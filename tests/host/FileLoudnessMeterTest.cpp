#include "host/FileLoudnessMeter.h"
#include "host/AudioFile.h"
#include "host/DemoSynth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace
{
constexpr int kSampleRateHz = 48000;

FileLoudnessFigures measureSine(double amplitude, double leftGain, double rightGain)
{
    constexpr double twoPi = 6.283185307179586;
    const std::size_t frames = 10 * kSampleRateHz;
    std::vector<float> samples(2 * frames);
    for (std::size_t frame = 0; frame < frames; ++frame)
    {
        const double sample = amplitude * std::sin(twoPi * 997.0 * frame / kSampleRateHz);
        samples[2 * frame] = static_cast<float>(leftGain * sample);
        samples[2 * frame + 1] = static_cast<float>(rightGain * sample);
    }
    FileLoudnessMeter meter(kSampleRateHz, 1.0f);
    meter.add(samples.data(), frames);
    meter.finish();
    return meter.figures();
}
} // namespace

TEST(FileLoudnessMeter, SinesAndSilenceReadTheirKnownLoudnessAndPeaks)
{
    // BS.1770 puts a full-scale 1 kHz sine in both channels at 0 LUFS, in one channel at -3.01.
    const FileLoudnessFigures both = measureSine(1.0, 1.0, 1.0);
    EXPECT_NEAR(both.integratedLufs, 0.0, 0.05);
    EXPECT_NEAR(both.maxShortTermLufs, 0.0, 0.05);
    EXPECT_NEAR(both.loudnessRangeLu, 0.0, 0.05);
    EXPECT_NEAR(both.samplePeakDbfs, 0.0, 0.001);
    EXPECT_NEAR(both.truePeakDbtp, 0.0, 0.05);

    EXPECT_NEAR(measureSine(1.0, 1.0, 0.0).integratedLufs, -3.01, 0.05);
    const FileLoudnessFigures quiet = measureSine(0.1, 1.0, 1.0);
    EXPECT_NEAR(quiet.integratedLufs, -20.0, 0.05);
    EXPECT_NEAR(quiet.samplePeakDbfs, -20.0, 0.001);

    const FileLoudnessFigures silence = measureSine(0.0, 1.0, 1.0);
    EXPECT_EQ(silence.integratedLufs, -std::numeric_limits<double>::infinity());
    EXPECT_EQ(silence.samplePeakDbfs, -std::numeric_limits<double>::infinity());
    EXPECT_EQ(silence.loudnessRangeLu, 0.0);
}

TEST(FileLoudnessMeter, CountsSamplesAtOrBeyondTheFormatsFullScale)
{
    const float top16 = 32767.0f / 32768.0f;
    const std::vector<float> samples = {1.0f,  -1.0f, 0.999f, 1.5f, -1.2f,
                                        top16, 0.5f,  -top16, 0.0f, 0.99f};
    // In a 16-bit file the top code 32767 is full scale too.
    for (const auto& [format, count] : {std::pair{SF_FORMAT_WAV | SF_FORMAT_FLOAT, 4u},
                                        std::pair{SF_FORMAT_WAV | SF_FORMAT_PCM_16, 6u}})
    {
        FileLoudnessMeter meter(kSampleRateHz, fullScaleLevel(format));
        meter.add(samples.data(), samples.size() / 2);
        meter.finish();
        EXPECT_EQ(meter.figures().samplesAtFullScale, count) << format;
    }
}

TEST(DemoSynth, IsTheSameModestStereoMixEveryTime)
{
    const std::vector<float> demo = synthesiseDemo(kDemoSampleRateHz);
    EXPECT_EQ(demo, synthesiseDemo(kDemoSampleRateHz));
    const std::size_t frames = demo.size() / 2;
    EXPECT_EQ(frames, 24u * kDemoSampleRateHz);

    FileLoudnessMeter meter(kDemoSampleRateHz, 1.0f);
    meter.add(demo.data(), frames);
    meter.finish();
    const FileLoudnessFigures figures = meter.figures();
    EXPECT_NEAR(figures.samplePeakDbfs, -1.0, 0.01);
    EXPECT_GT(figures.integratedLufs, -19.0);
    EXPECT_LT(figures.integratedLufs, -15.0);

    std::size_t differingFrames = 0;
    for (std::size_t frame = 0; frame < frames; ++frame)
        differingFrames += demo[2 * frame] != demo[2 * frame + 1];
    EXPECT_GT(differingFrames, frames / 2) << "the chords are wide";
}
