#include "host/LoudnessMeter.h"
#include "host/AudioFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
constexpr int sampleRateHz = 48000;
constexpr double pi = 3.14159265358979323846;

LoudnessFigures measureSine(double amplitude, double leftGain, double rightGain)
{
    const std::size_t frames = 10 * sampleRateHz;
    std::vector<float> samples(2 * frames);
    for (std::size_t frame = 0; frame < frames; ++frame)
    {
        const double sample = amplitude * std::sin(2.0 * pi * 997.0 * frame / sampleRateHz);
        samples[2 * frame] = static_cast<float>(leftGain * sample);
        samples[2 * frame + 1] = static_cast<float>(rightGain * sample);
    }
    LoudnessMeter meter(sampleRateHz, 1.0f);
    meter.add(samples.data(), frames);
    return meter.figures();
}
} // namespace

TEST(LoudnessMeter, FullScaleSineReadsItsKnownLoudnessAndPeaks)
{
    // BS.1770 puts a full-scale 1 kHz sine in both channels at 0 LUFS, in one channel at -3.01.
    const LoudnessFigures both = measureSine(1.0, 1.0, 1.0);
    EXPECT_NEAR(both.integratedLufs, 0.0, 0.05);
    EXPECT_NEAR(both.maxShortTermLufs, 0.0, 0.05);
    EXPECT_NEAR(both.loudnessRangeLu, 0.0, 0.05);
    EXPECT_NEAR(both.samplePeakDbfs, 0.0, 0.001);
    EXPECT_NEAR(both.truePeakDbtp, 0.0, 0.05);

    EXPECT_NEAR(measureSine(1.0, 1.0, 0.0).integratedLufs, -3.01, 0.05);
    const LoudnessFigures quiet = measureSine(0.1, 1.0, 1.0);
    EXPECT_NEAR(quiet.integratedLufs, -20.0, 0.05);
    EXPECT_NEAR(quiet.samplePeakDbfs, -20.0, 0.001);
}

TEST(LoudnessMeter, SilenceHasNoLevel)
{
    std::vector<float> silence(2 * sampleRateHz, 0.0f);
    LoudnessMeter meter(sampleRateHz, 1.0f);
    meter.add(silence.data(), sampleRateHz);
    const LoudnessFigures figures = meter.figures();
    EXPECT_TRUE(std::isinf(figures.integratedLufs) && figures.integratedLufs < 0);
    EXPECT_TRUE(std::isinf(figures.samplePeakDbfs) && figures.samplePeakDbfs < 0);
    EXPECT_EQ(figures.loudnessRangeLu, 0.0);
}

TEST(LoudnessMeter, CountsSamplesAtOrBeyondTheFormatsFullScale)
{
    const float top16 = 32767.0f / 32768.0f;
    const std::vector<float> samples = {1.0f,  -1.0f, 0.999f, 1.5f, -1.2f,
                                        top16, 0.5f,  -top16, 0.0f, 0.99f};
    LoudnessMeter floatMeter(sampleRateHz, fullScaleLevel(SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    floatMeter.add(samples.data(), samples.size() / 2);
    EXPECT_EQ(floatMeter.figures().samplesAtFullScale, 4u);
    // In a 16-bit file the top code 32767 is full scale too.
    LoudnessMeter pcmMeter(sampleRateHz, fullScaleLevel(SF_FORMAT_WAV | SF_FORMAT_PCM_16));
    pcmMeter.add(samples.data(), samples.size() / 2);
    EXPECT_EQ(pcmMeter.figures().samplesAtFullScale, 6u);
}
