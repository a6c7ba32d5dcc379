#include "PinnedQuantiser.h"

#include <algorithm>
#include <cmath>
#include <iterator>

PinnedQuantiser::PinnedQuantiser(RandomGenerator& generator) : dither(generator)
{
    dither.setLevel(engine_constants::kDitherLevelDb);
    setSampleRate(engine_constants::kDefaultSampleRateHz);
    reset();
}

void PinnedQuantiser::setSampleRate(float sampleRateHz)
{
    if (sampleRateHz >= engine_constants::kFirstOrderShapingSampleRateHz)
        shaping = Shaping::firstOrder;
    else if (sampleRateHz >= engine_constants::kShapingMinSampleRateHz)
        shaping = Shaping::eightTap;
    else
        shaping = Shaping::none;
}

void PinnedQuantiser::setWordLength(int bits)
{
    wordLength = std::min(bits, engine_constants::kMaxWordLengthBits);
    reset();
}

void PinnedQuantiser::reset()
{
    scale = std::ldexp(1.0f, wordLength - 1);
    step = std::ldexp(1.0f, 1 - wordLength);
    std::fill(std::begin(errorHistory), std::end(errorHistory), 0.0f);
    feedback = 0.0f;
    historyIndex = 0;
}
