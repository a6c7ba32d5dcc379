// Pins the exact output of fixed renders, per code set, so a change to the engine shows whether
// it changes output bits; one that does on purpose is re-pinned with AccuracyTest as its proof.

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace engine_test;

namespace
{
constexpr float kSampleRateHz = 44100.0f;
constexpr int kFrames = 10 * 44100;

// Sines, a swell and deterministic noise near full scale, different on each channel.
Frame programme(int i)
{
    const double t = i / double(kSampleRateHz);
    const double noise = std::sin(i * 12.9898) * 43758.5453;
    const double grain = (noise - std::floor(noise) - 0.5) * 0.3;
    const double swell = 0.75 + 0.25 * std::sin(2.0 * kPi * 0.5 * t);
    const double bass = 0.45 * std::sin(2.0 * kPi * 55.0 * t);
    const double mid = 0.25 * std::sin(2.0 * kPi * 440.0 * t);
    const double high = 0.12 * std::sin(2.0 * kPi * 3520.0 * t + 1.0);
    return {float(swell * (bass + mid + high) + grain),
            float(swell * (bass - high + 0.8 * mid) - grain)};
}

// Program 0 as the engine receives it, with the given drive, soft clipper amount, leveller
// threshold, inter-sample peak detection and word length.
std::uint64_t renderHash(bool wideVectors, float driveDb, float softclipAmount,
                         float rmsThresholdDb, bool interSamplePeak, int ditherBits)
{
    LimiterEngine engine;
    engine.allowWideVectors(wideVectors);
    engine.setEngineSampleRate(kSampleRateHz);
    engine.setOutputGain(1.0f);
    engine.setInputGain(std::pow(10.0f, driveDb / 20.0f));
    engine.setSideGain(0.5f);
    engine.setCorrelationTime(0.5f);
    engine.setCorrelationThreshold(-1.0f);
    engine.setEnvelopeHysteresis(0.1f);
    engine.setEnvelopeRelease(0.08f);
    engine.setStereoLink(0.5f);
    engine.setSoftclipThreshold(0.0f);
    engine.setSoftclipAmount(softclipAmount);
    engine.setRmsAttack(0.1f);
    engine.setRmsRelease(0.1f);
    engine.setRmsThreshold(rmsThresholdDb);
    engine.setInterSamplePeak(interSamplePeak);
    engine.setDitherBits(ditherBits);
    return hashOutputs(render(engine, kFrames, programme));
}
} // namespace

TEST(Checksum, Program0AndProgram2WithInterSamplePeaksAndDither)
{
    EXPECT_EQ(renderHash(false, -20.16f, 0.0f, 8.0f, false, 64), 0x5dca396347c2deaaull);
    EXPECT_EQ(renderHash(false, -14.28f, 0.5f, -4.0f, true, 16), 0xe75c30f7ecac7365ull);
    if (LimiterEngine().usesWideVectors())
    {
        EXPECT_EQ(renderHash(true, -20.16f, 0.0f, 8.0f, false, 64), 0x5dca396347c2deaaull);
        EXPECT_EQ(renderHash(true, -14.28f, 0.5f, -4.0f, true, 16), 0xe40b03f328e76165ull);
    }
}
