// Pins the exact output of fixed renders, per code set, so a change to the engine shows whether
// it changes output bits; one that does on purpose is re-pinned with AccuracyTest as its proof.

#include "EngineTestSupport.h"
#include "tests/support/FactoryProgram.h"

#include <gtest/gtest.h>

#include <vector>

using namespace engine_test;

namespace
{
constexpr float kSampleRateHz = 44100.0f;
constexpr int kFrames = 10 * 44100;

Frame programme(int i)
{
    return testSignalFrame(TestSignal::hot, i, kSampleRateHz);
}

// A factory program as the plug-in sets the engine, with the given changes on top, through the
// wide-vector code or the SSE2 baseline.
std::uint64_t renderHash(bool wideVectors, int program,
                         const std::vector<ParameterChange>& changes = {})
{
    LimiterEngine engine;
    engine.allowWideVectors(wideVectors);
    engine.setEngineSampleRate(kSampleRateHz);
    applyFactoryProgram(engine, program, changes);
    return hashOutputs(render(engine, kFrames, programme));
}
} // namespace

TEST(Checksum, Program0AndProgram2WithInterSamplePeaksAndDither)
{
    const std::vector<ParameterChange> program2Changes = {{kInterSamplePeak, 1.0f},
                                                          {kDithering, kDither16BitPosition}};
    EXPECT_EQ(renderHash(false, 0), 0xd15ea51157f07daeull);
    EXPECT_EQ(renderHash(false, 2, program2Changes), 0xa8c7a9813c2e2b65ull);
    if (LimiterEngine().usesWideVectors())
    {
        EXPECT_EQ(renderHash(true, 0), 0xd15ea51157f07daeull);
        EXPECT_EQ(renderHash(true, 2, program2Changes), 0xcab2401a53c8c165ull);
    }
}
