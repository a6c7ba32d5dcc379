// The run's stages for the SSE2 baseline every x86-64 processor has.

#include "engine/LimiterEngineRun.h"

namespace
{
struct BaselineCode
{
};
} // namespace

void LimiterEngine::runStagesBaseline(LimiterEngine& engine, const float* inLeft,
                                      const float* inRight, float* outLeft, float* outRight,
                                      int frames)
{
    engine.runStages<BaselineCode>(inLeft, inRight, outLeft, outRight, frames);
}
