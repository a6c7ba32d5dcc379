#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <utility>

#include "parameters/Parameters.h"
#include "plugin/ParameterDisplay.h"
#include "vst/VstAbi.h"

namespace
{
double driveDb(float x)
{
    return 20.0 * std::log10(normalisedToDrive(x));
}
} // namespace

TEST(Conversions, TwoSegmentGainLaw)
{
    EXPECT_NEAR(normalisedToGain(1.0f), 1.0f, 1e-6f);
    EXPECT_NEAR(normalisedToGain(0.0f), 0.000251189f, 1e-9f);
    EXPECT_NEAR(normalisedToGain(0.52f), 0.09817f, 1e-5f);
    EXPECT_NEAR(driveDb(0.52f), -0.16, 1e-3);
    EXPECT_NEAR(driveDb(0.66f), 5.72, 1e-3);
    EXPECT_NEAR(driveDb(1.0f / 7.0f), -16.0, 1e-4);
    EXPECT_NEAR(driveDb(0.0f), -52.0, 1e-4);
    // The drive's x10 comes after the law's rounding to float, as the engine's factor always did.
    for (const float x : {0.0f, 0.52f, 0.66f, 1.0f})
        EXPECT_EQ(normalisedToDrive(x), 10.0f * normalisedToGain(x)) << x;
}

TEST(Conversions, EngineArgumentsFromTheRanges)
{
    EXPECT_EQ(rangeValueSeconds(kXCorrTime, 1.0f), 0.5f);
    EXPECT_FLOAT_EQ(rangeValueSeconds(kEnvRelease, 0.4f), 0.08f);
    EXPECT_EQ(rangeValueSeconds(kEnvRelease, 0.0f), 0.0f);
    EXPECT_NEAR(rangeValue(kRmsThreshold, 0.7f), 8.0f, 1e-5f);
    EXPECT_EQ(rangeValue(kXCorrThreshold, 0.0f), -1.0f);
    EXPECT_EQ(rangeValue(kSoftclipThresh, 0.5f), 0.0f);

    EXPECT_FALSE(switchIsOn(0.5f));
    EXPECT_TRUE(switchIsOn(0.51f));

    const std::pair<float, int> ditherBits[] = {{6.0f, 8},  {5.5f, 12}, {4.0f, 16}, {3.0f, 20},
                                                {2.0f, 24}, {1.0f, 32}, {0.5f, 64}, {0.0f, 64}};
    for (const auto& [position, bits] : ditherBits)
        EXPECT_EQ(ditherBitsFromPosition(position), bits) << position;
}

// "%3.3f" would need more than the interface's 8 bytes for large values: decimals go first,
// then the exponent form takes over. (That no text overruns the 8 bytes is tests/hardening's.)
TEST(Conversions, DisplayTextsFitEightBytesAtAnyValue)
{
    const struct
    {
        int index;
        float value;
        const char* display;
    } cases[] = {
        {0, 1.5f, "36.000"},    {5, -0.1f, "-50.000"},  {5, 2.5f, "1250.00"},  {5, 25.0f, "12500.0"},
        {5, -250.0f, "-125000"}, {5, 2000.0f, "1000000"}, {5, 2e4f, "1e+07"},    {5, -2e4f, "-1e+07"},
        {0, FLT_MAX, "2e+40"},   {16, -FLT_MAX, "-2e+39"},
    };
    for (const auto& c : cases)
    {
        char text[kVstMaxParamStrLen + 1] = {};
        formatParameterDisplay(c.index, c.value, text);
        EXPECT_STREQ(text, c.display) << c.index << " at " << c.value;
    }
}
