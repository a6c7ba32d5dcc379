#include "engine/BiquadFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <string>
#include <vector>

namespace
{
constexpr double kPi = 3.14159265358979323846;

struct Design
{
    float sampleRateHz;
    int kind;
    float frequencyHz;
    float q;
    float gainDb;
};
constexpr Design kCorrelationHighPass{44100.0f, kHighPass, 800.0f, 1.0f, 0.0f};

BiquadFilter designed(const Design& d)
{
    BiquadFilter filter;
    filter.design(d.sampleRateHz, d.kind, d.frequencyHz, d.q, d.gainDb);
    return filter;
}

double magnitudeDb(const BiquadFilter& f, double frequencyHz, double sampleRateHz)
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * frequencyHz / sampleRateHz);
    const std::complex<double> z2 = z1 * z1;
    const auto numerator = double(f.getB0()) + double(f.getB1()) * z1 + double(f.getB2()) * z2;
    const auto denominator = 1.0 + double(f.getA1()) * z1 + double(f.getA2()) * z2;
    return 20.0 * std::log10(std::abs(numerator / denominator));
}
} // namespace

TEST(BiquadFilter, CoefficientsOfTheCorrelationHighPassAndAPeakingBoost)
{
    const struct
    {
        Design design;
        double b0b1b2a1a2[5];
    } table[] = {
        {kCorrelationHighPass, {0.922561, -1.845123, 0.922561, -1.839117, 0.851128}},
        {{48000, kHighPass, 800, 1, 0}, {0.928624, -1.857248, 0.928624, -1.852146, 0.862349}},
        {{44100, kPeaking, 1000, 1, 6}, {1.066290, -1.847873, 0.800498, -1.847873, 0.866788}}};
    for (const auto& row : table)
    {
        const BiquadFilter f = designed(row.design);
        const float actual[] = {f.getB0(), f.getB1(), f.getB2(), f.getA1(), f.getA2()};
        for (int i = 0; i < 5; ++i)
            EXPECT_NEAR(actual[i], row.b0b1b2a1a2[i], 2e-6) << row.design.kind << " #" << i;
    }
}

TEST(BiquadFilter, Magnitudes)
{
    struct Point
    {
        double frequencyHz, db;
    };
    const struct
    {
        Design design;
        double toleranceDb;
        std::vector<Point> points;
    } table[] = {{kCorrelationHighPass, 0.005, {{800, -3.01}, {400, -12.32}, {100, -36.14}}},
                 {{44100, kPeaking, 1000, 1, 6}, 0.005, {{1000, 6.00}}},
                 {{44100, kPeaking, 1000, 1, 6}, 0.02, {{707, 4.76}, {1414, 4.76}}},
                 {{44100, kPeaking, 1000, 2, -6}, 0.005, {{1000, -6.00}}},
                 {{44100, kHighShelf, 1000, 1, 6}, 0.01, {{10, 0.00}, {1000, 3.00}, {20000, 6.00}}},
                 {{44100, kLowPass, 1000, 1, 0}, 0.005, {{1000, -3.01}}},
                 {{44100, kLowPass, 1000, 1, 6}, 0.01, {{866, 3.57}}}};
    for (const auto& row : table)
    {
        for (const Point& p : row.points)
        {
            EXPECT_NEAR(magnitudeDb(designed(row.design), p.frequencyHz, row.design.sampleRateHz),
                        p.db, row.toleranceDb)
                << "kind " << row.design.kind << " at " << p.frequencyHz << " Hz";
        }
    }
}

TEST(BiquadFilter, ProcessingFollowsTheDesignedMagnitude)
{
    BiquadFilter filter = designed(kCorrelationHighPass);
    double peak = 0.0;
    for (int i = 0; i < 44100; ++i)
    {
        filter.process(static_cast<float>(std::sin(2.0 * kPi * 400.0 * i / 44100.0)));
        if (i > 22050)
            peak = std::max(peak, std::fabs(double(filter.output())));
    }
    EXPECT_NEAR(20.0 * std::log10(peak), -12.32, 0.01);
}

TEST(BiquadFilter, UnknownKindsAndNewFiltersPassThrough)
{
    BiquadFilter filters[] = {
        designed({44100, 7, 800, 1, 0}), designed({44100, -1, 800, 1, 0}), {}};
    for (BiquadFilter& filter : filters)
    {
        filter.process(-0.75f);
        EXPECT_EQ(filter.output(), -0.75f);
    }
}

// The shorter-chain step keeps the same state as the plain one and rounds no worse: against the
// same filter in double, over a long run in which the two steps take over from each other.
TEST(BiquadFilter, TheShorterChainStepRoundsNoWorseThanThePlainOne)
{
    for (const Design& design : {kCorrelationHighPass, Design{96000, kHighPass, 800, 1, 0},
                                 Design{44100, kPeaking, 1000, 1, 6}})
    {
        const BiquadFilter filter = designed(design);
        const double b0 = filter.getB0(), b1 = filter.getB1(), b2 = filter.getB2();
        const double a1 = filter.getA1(), a2 = filter.getA2();
        double exact1 = 0.0, exact2 = 0.0;
        float plain1 = 0.0f, plain2 = 0.0f, shorter1 = 0.0f, shorter2 = 0.0f;
        double plainError = 0.0, shorterError = 0.0;
        std::uint32_t noise = 1;
        for (int i = 0; i < 100000; ++i)
        {
            noise = noise * 1664525u + 1013904223u;
            const float x = static_cast<float>(noise >> 8) / 16777216.0f - 0.5f;
            const double exact = b0 * x + exact1;
            exact1 = b1 * x + exact2 - a1 * exact;
            exact2 = b2 * x - a2 * exact;
            const float plain = filter.step(x, plain1, plain2);
            const float shorter = (i / 1000) % 2 == 0
                                      ? filter.stepShortChain(x, shorter1, shorter2)
                                      : filter.step(x, shorter1, shorter2);
            plainError = std::max(plainError, std::fabs(plain - exact));
            shorterError = std::max(shorterError, std::fabs(shorter - exact));
        }
        SCOPED_TRACE(std::to_string(design.kind) + " at " +
                     std::to_string(design.sampleRateHz) + " Hz");
        EXPECT_LT(shorterError, 2e-5);
        EXPECT_LT(shorterError, 1.5 * plainError);
    }
}
