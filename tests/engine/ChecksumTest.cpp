// Pins the exact output of fixed renders, so any change to the frame path that is meant to be
// an optimisation can prove it changes no output bit.

#include "EngineTestSupport.h"
#include "tests/support/FactoryProgram.h"
#include "tests/support/TestProgramme.h"

#include <gtest/gtest.h>

#include <vector>

using namespace engine_test;

namespace
{
constexpr float kSampleRateHz = 44100.0f;
constexpr int kFrames = 10 * 44100;

Frame programme(int i)
{
    const StereoSample sample = testProgrammeFrame(i, kSampleRateHz);
    return {sample.left, sample.right};
}

// A factory program as the plug-in sets the engine, with the given changes on top.
std::uint64_t renderHash(int program, const std::vector<ParameterChange>& changes = {})
{
    LimiterEngine engine;
    engine.setEngineSampleRate(kSampleRateHz);
    applyFactoryProgram(engine, program, changes);
    return hashOutputs(render(engine, kFrames, programme));
}
} // namespace

TEST(Checksum, Program0AndProgram2WithInterSamplePeaksAndDither)
{
    EXPECT_EQ(renderHash(0), 0x1dbc2980812fbc45ull);
    EXPECT_EQ(renderHash(2, {{kInterSamplePeak, 1.0f}, {kDithering, kDither16BitPosition}}),
              0xb33d69b1ee678365ull);
}
