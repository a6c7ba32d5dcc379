// The run's stages for the SSE2 baseline every x86-64 processor has.

#include "engine/RunVectorsSse2.h"

namespace
{
namespace vectors = run_vectors::sse2;
struct BaselineCode
{
};
} // namespace

#include "engine/LimiterEngineRun.h"

void LimiterEngine::runStagesBaseline(LimiterEngine& engine, const float* inLeft,
                                      const float* inRight, float* outLeft, float* outRight,
                                      int frames)
{
    engine.runStages<BaselineCode>(inLeft, inRight, outLeft, outRight, frames);
}
