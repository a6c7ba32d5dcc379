#include "parameters/EngineParameters.h"

#include "engine/LimiterEngine.h"

void applyParameter(LimiterEngine& engine, int index, float value)
{
    applyParameterTo(engine, index, value);
}
