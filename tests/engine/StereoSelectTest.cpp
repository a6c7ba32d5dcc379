// The recursive steps' selects in the AVX form the wide code set compiles (run where the
// processor has AVX): exactly a > b ? x : y per lane, NaN comparing false and -0 not above +0,
// and the sign-bit selects the meters use.

#include "StereoSelectAvx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{
bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
} // namespace

TEST(StereoSelect, GreaterPicksPerLaneAndNaNComparesFalse)
{
    if (!__builtin_cpu_supports("avx"))
        GTEST_SKIP() << "no AVX here";
    const float nan = std::nanf("");
    const float a[] = {1.0f, -0.0f, nan, 2.0f};
    const float b[] = {0.5f, 0.0f, 1.0f, nan};
    const float x[] = {10.0f, 20.0f, 30.0f, 40.0f};
    const float y[] = {-1.0f, -2.0f, -3.0f, -4.0f};
    float vectorChosen[4];
    float singleChosen[4];
    selectGreaterWithAvx(a, b, x, y, vectorChosen, singleChosen);
    const float expected[] = {10.0f, -2.0f, -3.0f, -4.0f};
    for (int lane = 0; lane < 4; ++lane)
    {
        EXPECT_TRUE(sameBits(vectorChosen[lane], expected[lane])) << lane;
        EXPECT_TRUE(sameBits(singleChosen[lane], expected[lane])) << lane;
    }
}

TEST(StereoSelect, BySignTakesTheSignBitOfMasksNumbersAndCounts)
{
    if (!__builtin_cpu_supports("avx"))
        GTEST_SKIP() << "no AVX here";
    const float a[] = {2, 0, 2, 0};
    const float b[] = {1, 1, 1, 1};
    const float signs[] = {-0.0f, 0.0f, 3.0f, -3.0f};
    const int counts[] = {-1, 0, 5, -7};
    const float x[] = {1, 2, 3, 4};
    const float y[] = {5, 6, 7, 8};
    float byMask[4], bySign[4], maskOrSigns[4], maskAndSigns[4];
    int byCount[4];
    selectBySignWithAvx(a, b, signs, counts, x, y, byMask, bySign, byCount, maskOrSigns,
                        maskAndSigns);
    const bool greater[] = {true, false, true, false};
    for (int lane = 0; lane < 4; ++lane)
    {
        const bool negative = std::signbit(signs[lane]);
        EXPECT_EQ(byMask[lane], greater[lane] ? x[lane] : y[lane]) << lane;
        EXPECT_EQ(bySign[lane], negative ? x[lane] : y[lane]) << lane;
        EXPECT_EQ(byCount[lane], counts[lane] < 0 ? 9 : counts[lane]) << lane;
        EXPECT_EQ(std::signbit(maskOrSigns[lane]), greater[lane] || negative) << lane;
        EXPECT_EQ(std::signbit(maskAndSigns[lane]), greater[lane] && negative) << lane;
    }
}
