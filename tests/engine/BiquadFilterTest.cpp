#include "engine/BiquadFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace
{
constexpr double kPi = 3.14159265358979323846;

double magnitudeDb(const BiquadFilter& filter, double frequencyHz, double sampleRateHz)
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * frequencyHz / sampleRateHz);
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> numerator =
        double(filter.getB0()) + double(filter.getB1()) * z1 + double(filter.getB2()) * z2;
    const std::complex<double> denominator =
        1.0 + double(filter.getA1()) * z1 + double(filter.getA2()) * z2;
    return 20.0 * std::log10(std::abs(numerator / denominator));
}

BiquadFilter designed(float fs, int kind, float f, float q, float gainDb)
{
    BiquadFilter filter;
    filter.design(fs, kind, f, q, gainDb);
    return filter;
}
} // namespace

TEST(BiquadFilter, CorrelationHighPassAt800Hz)
{
    const BiquadFilter filter = designed(44100.0f, kHighPass, 800.0f, 1.0f, 0.0f);
    EXPECT_NEAR(filter.getB0(), 0.922561, 1e-6);
    EXPECT_NEAR(filter.getB1(), -1.845123, 1e-6);
    EXPECT_NEAR(filter.getB2(), 0.922561, 1e-6);
    EXPECT_NEAR(filter.getA1(), -1.839117, 1e-6);
    EXPECT_NEAR(filter.getA2(), 0.851128, 1e-6);
    EXPECT_NEAR(magnitudeDb(filter, 800.0, 44100.0), -3.01, 0.005);
    EXPECT_NEAR(magnitudeDb(filter, 400.0, 44100.0), -12.32, 0.005);
    EXPECT_NEAR(magnitudeDb(filter, 100.0, 44100.0), -36.14, 0.005);

    const BiquadFilter at48k = designed(48000.0f, kHighPass, 800.0f, 1.0f, 0.0f);
    EXPECT_NEAR(at48k.getB0(), 0.928624, 1e-6);
    EXPECT_NEAR(at48k.getA1(), -1.852146, 2e-6);
    EXPECT_NEAR(at48k.getA2(), 0.862349, 1e-6);
}

TEST(BiquadFilter, PeakingShelfAndLowPassResponses)
{
    const BiquadFilter peak = designed(44100.0f, kPeaking, 1000.0f, 1.0f, 6.0f);
    EXPECT_NEAR(peak.getB0(), 1.066290, 1e-6);
    EXPECT_NEAR(peak.getB1(), -1.847873, 1e-6);
    EXPECT_NEAR(peak.getA1(), -1.847873, 1e-6);
    EXPECT_NEAR(peak.getB2(), 0.800498, 1e-6);
    EXPECT_NEAR(peak.getA2(), 0.866788, 1e-6);
    EXPECT_NEAR(magnitudeDb(peak, 1000.0, 44100.0), 6.00, 0.005);
    EXPECT_NEAR(magnitudeDb(peak, 707.0, 44100.0), 4.76, 0.02);
    EXPECT_NEAR(magnitudeDb(peak, 1414.0, 44100.0), 4.76, 0.02);
    const BiquadFilter cut = designed(44100.0f, kPeaking, 1000.0f, 2.0f, -6.0f);
    EXPECT_NEAR(magnitudeDb(cut, 1000.0, 44100.0), -6.00, 0.005);

    const BiquadFilter shelf = designed(44100.0f, kHighShelf, 1000.0f, 1.0f, 6.0f);
    EXPECT_NEAR(magnitudeDb(shelf, 10.0, 44100.0), 0.00, 0.01);
    EXPECT_NEAR(magnitudeDb(shelf, 1000.0, 44100.0), 3.00, 0.01);
    EXPECT_NEAR(magnitudeDb(shelf, 20000.0, 44100.0), 6.00, 0.01);

    const BiquadFilter lowPass = designed(44100.0f, kLowPass, 1000.0f, 1.0f, 0.0f);
    EXPECT_NEAR(magnitudeDb(lowPass, 1000.0, 44100.0), -3.01, 0.005);
    const BiquadFilter resonant = designed(44100.0f, kLowPass, 1000.0f, 1.0f, 6.0f);
    EXPECT_NEAR(magnitudeDb(resonant, 866.0, 44100.0), 3.57, 0.01);
    EXPECT_LT(magnitudeDb(resonant, 800.0, 44100.0), magnitudeDb(resonant, 866.0, 44100.0));
    EXPECT_LT(magnitudeDb(resonant, 930.0, 44100.0), magnitudeDb(resonant, 866.0, 44100.0));
}

TEST(BiquadFilter, ProcessingFollowsTheDesignedMagnitude)
{
    BiquadFilter filter = designed(44100.0f, kHighPass, 800.0f, 1.0f, 0.0f);
    double peak = 0.0;
    for (int i = 0; i < 44100; ++i)
    {
        filter.process(static_cast<float>(std::sin(2.0 * kPi * 400.0 * i / 44100.0)));
        if (i > 22050)
        {
            peak = std::max(peak, std::fabs(double(filter.output())));
        }
    }
    EXPECT_NEAR(20.0 * std::log10(peak), -12.32, 0.01);
}

TEST(BiquadFilter, UnknownKindsAndNewFiltersPassThrough)
{
    for (const int kind : {7, -1})
    {
        BiquadFilter filter = designed(44100.0f, kind, 800.0f, 1.0f, 0.0f);
        EXPECT_EQ(filter.getB0(), 1.0f);
        filter.process(0.25f);
        EXPECT_EQ(filter.output(), 0.25f);
    }
    BiquadFilter fresh;
    fresh.process(-0.75f);
    EXPECT_EQ(fresh.output(), -0.75f);
}
