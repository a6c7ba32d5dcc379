#include "engine/Quantiser.h"
#include "engine/NoiseSource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr float kStep16 = 1.0f / 32768.0f;

// Output minus input, in steps, for a quantiser fed `input` at the given rate and 16 bits.
// The left channel carries the input; the right channel, fed silence, must stay independent.
std::vector<double> errorSteps(float sampleRateHz, int samples, float input)
{
    RandomGenerator generator;
    NoiseSource dither(generator);
    dither.setLevel(engine_constants::kDitherLevelDb);
    Quantiser quantiser;
    quantiser.setSampleRate(sampleRateHz);
    quantiser.setWordLength(16);
    const StereoVector scaled = stereo::make(input, 0.0f) * quantiser.stepsPerFullScale();
    std::vector<double> errors(static_cast<std::size_t>(samples));
    for (int i = 0; i < samples; ++i)
    {
        const float left = dither.triangular();
        const StereoVector out =
            quantiser.process(scaled, scaled + stereo::make(left, dither.triangular()));
        errors[i] = (double(out[0]) - input) / kStep16;
    }
    return errors;
}

double largestError(float sampleRateHz, float input)
{
    double largest = 0.0;
    for (const double error : errorSteps(sampleRateHz, 20000, input))
        largest = std::max(largest, std::fabs(error));
    return largest;
}

// Mean power (dB) at one frequency over Hann-windowed segments of 1024 samples.
double levelDb(const std::vector<double>& signal, double frequencyHz, double sampleRateHz)
{
    constexpr int segment = 1024;
    double power = 0.0;
    int segments = 0;
    for (std::size_t start = 0; start + segment <= signal.size(); start += segment, ++segments)
    {
        std::complex<double> sum;
        for (int n = 0; n < segment; ++n)
        {
            const double window = 0.5 - 0.5 * std::cos(2.0 * kPi * n / segment);
            sum += window * signal[start + n] *
                   std::polar(1.0, -2.0 * kPi * frequencyHz * n / sampleRateHz);
        }
        power += std::norm(sum);
    }
    return 10.0 * std::log10(power / segments);
}
} // namespace

TEST(Quantiser, ErrorBoundsPerShapingFilter)
{
    for (const double error : errorSteps(22050.0f, 20000, 0.0f))
        ASSERT_TRUE(error == -1.0 || error == 0.0 || error == 1.0) << error;
    // Below 32 kHz dither only, within one step; eight-tap feedback lets the error run well past
    // two steps; first order from 120 kHz on stays within two.
    EXPECT_LE(largestError(22050.0f, 0.25f), 1.0);
    EXPECT_EQ(largestError(31999.0f, 0.0f), 1.0);
    EXPECT_GT(largestError(32000.0f, 0.0f), 2.0);
    EXPECT_GT(largestError(119999.0f, 0.0f), 2.0);
    EXPECT_EQ(largestError(120000.0f, 0.0f), 2.0);
}

TEST(Quantiser, ShapedErrorSpectrumAt44100)
{
    constexpr double fs = 44100.0;
    const std::vector<double> errors = errorSteps(float(fs), 1024 * 400, 0.0f);
    const double at2k = levelDb(errors, 2000.0, fs);
    EXPECT_NEAR(at2k - levelDb(errors, 5000.0, fs), -11.9 + 7.1, 1.0);
    EXPECT_NEAR(at2k - levelDb(errors, 10000.0, fs), -11.9 + 4.0, 1.0);
    EXPECT_NEAR(at2k - levelDb(errors, 18000.0, fs), -11.9 - 13.3, 1.0);
    EXPECT_LT(at2k, levelDb(errors, 3000.0, fs));

    const std::vector<double> plain = errorSteps(22050.0f, 1024 * 400, 0.0f);
    EXPECT_NEAR(levelDb(plain, 1000.0, 22050.0), levelDb(plain, 10000.0, 22050.0), 1.0);
}

// Without shaping (below 32 kHz) the offered value is rounded half away from zero, ties in both
// directions included, and comes back in full-scale units.
TEST(Quantiser, RoundsHalfAwayFromZero)
{
    Quantiser quantiser;
    quantiser.setSampleRate(22050.0f);
    quantiser.setWordLength(16);
    const struct
    {
        float offeredSteps;
        float expectedSteps;
    } cases[] = {{2.5f, 3.0f}, {-2.5f, -3.0f}, {2.4999f, 2.0f}, {-2.4999f, -2.0f},
                 {0.5f, 1.0f}, {-0.5f, -1.0f}, {0.49f, 0.0f},   {-0.49f, 0.0f},
                 {7.0f, 7.0f}, {-7.0f, -7.0f}};
    for (const auto& c : cases)
    {
        const StereoVector out =
            quantiser.process(StereoVector{}, stereo::make(c.offeredSteps, -c.offeredSteps));
        EXPECT_EQ(out[0], c.expectedSteps * kStep16) << c.offeredSteps;
        EXPECT_EQ(out[1], -c.expectedSteps * kStep16) << c.offeredSteps;
    }
}
