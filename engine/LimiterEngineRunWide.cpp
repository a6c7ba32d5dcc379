// The run's stages for processors with AVX-512 and fused multiply-add (see CMakeLists.txt for
// the code set): twice the vector registers, so the frame state stays in them, one-instruction
// lane selects, 64-byte vectors for detection, and a * b + c fused.

#include "engine/RunVectorsAvx512.h"

namespace
{
namespace vectors = run_vectors::avx512;
struct WideCode
{
};
} // namespace

#include "engine/LimiterEngineRun.h"

void LimiterEngine::runStagesWide(LimiterEngine& engine, const float* inLeft, const float* inRight,
                                  float* outLeft, float* outRight, int frames)
{
    engine.runStages<WideCode>(inLeft, inRight, outLeft, outRight, frames);
}
