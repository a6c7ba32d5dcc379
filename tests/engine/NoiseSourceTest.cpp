#include "engine/NoiseSource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

TEST(NoiseSource, UniformStartsAtMinus160DbAndCoversAll256StepsAtZeroDb)
{
    RandomGenerator generator;
    NoiseSource noise(generator);
    EXPECT_FLOAT_EQ(noise.getAmplitude(), 7.8125e-11f);
    for (int i = 0; i < 10000; ++i)
    {
        const float value = noise.uniform();
        ASSERT_TRUE(value >= -1e-8f && value <= 0.9921875e-8f) << value;
    }
    noise.setLevel(0.0f);
    EXPECT_EQ(noise.getAmplitude(), 1.0f / 128.0f);
    std::set<float> seen;
    double sum = 0.0;
    constexpr int draws = 400000;
    for (int i = 0; i < draws; ++i)
    {
        const float value = noise.uniform();
        ASSERT_EQ(value * 128.0f, std::round(value * 128.0f));
        ASSERT_TRUE(value >= -1.0f && value <= 0.9921875f) << value;
        seen.insert(value);
        sum += value;
    }
    EXPECT_EQ(seen.size(), 256u);
    EXPECT_NEAR(sum / draws, -0.5 / 128.0, 0.002);
}

TEST(NoiseSource, TriangularAtMinus3DbKeepsThePeakOfOneUniformValue)
{
    RandomGenerator generator;
    NoiseSource noise(generator);
    noise.setLevel(-3.0f);
    EXPECT_NEAR(noise.getAmplitude(), 0.0055308, 1e-7);
    float lowest = 0.0f;
    float highest = 0.0f;
    for (int i = 0; i < 200000; ++i)
    {
        const float value = noise.triangular();
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
    }
    EXPECT_TRUE(lowest >= -0.70795f && lowest < -0.69f) << lowest;
    EXPECT_TRUE(highest <= 0.70242f && highest > 0.69f) << highest;
}

// The engine takes whole steps, the reference engines and the noise sources one draw at a time:
// both must see one sequence. Over many steps every stream's low byte covers its 256 values
// evenly (within five standard deviations), with no two streams in step.
TEST(RandomGenerator, WholeStepsAndSingleDrawsGiveOneSequenceOfEvenLowBytes)
{
    RandomGenerator stepped;
    RandomGenerator single;
    std::uint32_t step[RandomGenerator::kValuesPerStep];
    std::vector<int> counts(256);
    int equalNeighbours = 0;
    constexpr int steps = 4000;
    for (int s = 0; s < steps; ++s)
    {
        RandomGenerator::drawStep(stepped.streams(), step);
        for (int draw = 0; draw < RandomGenerator::kDrawsPerStep; ++draw)
        {
            const RandomGenerator::Lanes lanes = single.next();
            ASSERT_EQ(lanes[0], step[2 * draw]);
            ASSERT_EQ(lanes[1], step[2 * draw + 1]);
        }
        for (int value = 0; value < RandomGenerator::kValuesPerStep; ++value)
        {
            ++counts[step[value] & 0xFFu];
            if (value > 0)
                equalNeighbours += (step[value] & 0xFFu) == (step[value - 1] & 0xFFu);
        }
    }
    const double expected = double(steps) * RandomGenerator::kValuesPerStep / 256.0;
    for (const int count : counts)
        EXPECT_NEAR(count, expected, 0.2 * expected);
    EXPECT_LT(equalNeighbours, 2 * steps * RandomGenerator::kValuesPerStep / 256);
}
