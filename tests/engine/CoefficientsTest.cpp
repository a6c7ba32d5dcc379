#include "engine/Coefficients.h"
#include "engine/EngineConstants.h"

#include <gtest/gtest.h>

#include <cstring>

namespace ec = engine_constants;

TEST(Coefficients, OnePoleTableAt44100)
{
    const struct
    {
        float seconds;
        double coefficient;
    } table[] = {{1.0f, 0.99997735},  {0.25f, 0.99990928},
                 {0.05f, 0.99954659}, {ec::kPeakSmoothTimeSeconds, 0.98499656},
                 {0.3f, 0.99992442},  {ec::kPeakHoldTimeSeconds, 0.99547511},
                 {0.1f, 0.99977326},  {0.001f, 0.97757941}};
    for (const auto& row : table)
        EXPECT_NEAR(onePoleCoefficient(row.seconds, 44100.0f), row.coefficient, 1e-8)
            << row.seconds;
}

TEST(Coefficients, PeakNormalisationAndLookAheadPerRate)
{
    EXPECT_FLOAT_EQ(peakNormalisationFor(ec::kPeakSmoothTimeSeconds, ec::kPeakHoldTimeSeconds),
                    1.6752934f);
    const struct
    {
        float rateHz;
        int frames;
    } cases[] = {{5000, 13},   {44100, 114},  {48000, 124}, {88200, 228},
                 {96000, 248}, {176400, 456}, {192000, 496}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(
            lookAheadFramesFor(ec::kPeakSmoothTimeSeconds, ec::kPeakHoldTimeSeconds, c.rateHz),
            c.frames)
            << c.rateHz;
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
