#include "engine/Quantiser.h"

#include <algorithm>
#include <cmath>
#include <iterator>

Quantiser::Quantiser(RandomGenerator& generator) : dither(generator)
{
    setSampleRate(sampleRate);
    reset();
}

void Quantiser::setSampleRate(float sampleRateHz)
{
    sampleRate = sampleRateHz;
    if (sampleRate >= engine_constants::kFirstOrderShapingSampleRateHz)
    {
        shaping = Shaping::firstOrder;
    }
    else if (sampleRate >= engine_constants::kShapingMinSampleRateHz)
    {
        shaping = Shaping::eightTap;
    }
    else
    {
        shaping = Shaping::none;
    }
}

void Quantiser::setWordLength(int bits)
{
    wordLength = std::min(bits, engine_constants::kMaxWordLengthBits);
    reset();
}

void Quantiser::reset()
{
    scale = std::ldexp(1.0f, wordLength - 1);
    step = std::ldexp(1.0f, 1 - wordLength);
    dither.setLevel(engine_constants::kDitherLevelDb);
    std::fill(std::begin(errorHistory), std::end(errorHistory), 0.0f);
    feedback = 0.0f;
    historyIndex = 0;
}
