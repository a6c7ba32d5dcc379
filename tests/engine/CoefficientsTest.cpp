#include "engine/Coefficients.h"
#include "engine/EngineConstants.h"

#include <gtest/gtest.h>

#include <cstring>

namespace ec = engine_constants;

TEST(Coefficients, OnePoleTableAt44100)
{
    constexpr float fs = 44100.0f;
    EXPECT_NEAR(onePoleCoefficient(1.0f, fs), 0.99997735, 1e-8);
    EXPECT_NEAR(onePoleCoefficient(0.25f, fs), 0.99990928, 1e-8);
    EXPECT_NEAR(onePoleCoefficient(0.5f * 0.1f, fs), 0.99954659, 1e-8);
    EXPECT_NEAR(onePoleCoefficient(ec::kPeakSmoothTimeSeconds, fs), 0.98499656, 1e-8);
    EXPECT_NEAR(onePoleCoefficient(ec::kPeakHoldTimeSeconds, fs), 0.99547511, 1e-8);
    EXPECT_NEAR(onePoleCoefficient(0.05f, fs), 0.99954659, 1e-8);
    EXPECT_NEAR(onePoleCoefficient(0.3f, fs), 0.99992442, 1e-8);
    EXPECT_NEAR(onePoleCoefficient(0.5f * 0.2f, fs), 0.99977326, 1e-8);
    EXPECT_NEAR(onePoleCoefficient(0.001f, fs), 0.97757941, 1e-8);
}

TEST(Coefficients, PeakNormalisationAndLookAhead)
{
    EXPECT_FLOAT_EQ(peakNormalisationFor(ec::kPeakSmoothTimeSeconds, ec::kPeakHoldTimeSeconds),
                    1.6752934f);
    const struct
    {
        float rate;
        int frames;
    } cases[] = {{5000, 13},   {44100, 114},  {48000, 124}, {88200, 228},
                 {96000, 248}, {176400, 456}, {192000, 496}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(lookAheadFramesFor(ec::kPeakSmoothTimeSeconds, ec::kPeakHoldTimeSeconds, c.rate),
                  c.frames)
            << c.rate;
    }
}

TEST(Coefficients, InterpolatorTapsKeepTheirBitPatterns)
{
    float sum = 0.0f;
    for (int i = 0; i < ec::kInterpolatorTapCount; ++i)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &ec::kInterpolatorTaps[i], sizeof bits);
        EXPECT_EQ(bits, ec::kInterpolatorTapBits[i]);
        sum += ec::kInterpolatorTaps[i];
    }
    EXPECT_NEAR(sum, 0.92536196f, 1e-7f);
    EXPECT_FLOAT_EQ(ec::kInterpolatorTaps[3], 0.63613927f);
}
