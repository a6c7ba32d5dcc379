#pragma once

#include "engine/EngineConstants.h"
#include "engine/NoiseSource.h"

#include <algorithm>
#include <cstdint>

// The quantiser in its pinned order (newest-first shaping sum, rounded after every term):
// word-length reduction with triangular dither and error-feedback noise shaping. The shaping
// filter depends on the sample rate: none below 32 kHz, a fixed 8-tap filter up to 120 kHz,
// first order above.
class PinnedQuantiser
{
  public:
    explicit PinnedQuantiser(RandomGenerator& generator);
    virtual ~PinnedQuantiser() = default;

    // Selects the shaping filter from the next sample on; resets nothing.
    void setSampleRate(float sampleRateHz);
    // Stores min(bits, 32) and resets the shaping state.
    void setWordLength(int bits);

    // x in full-scale units (+-1.0).
    void process(float x) { process(x, dither.source()); }

    // The same, drawing the dither from the caller's copy of the shared generator.
    void process(float x, RandomGenerator& random) { processDrawn(x, random.next()); }

    // The same with the dither's draw already taken from the generator.
    void processDrawn(float x, RandomGenerator::Lanes draw)
    {
        // Keeps the rounding inside the integer range whatever gain precedes the quantiser;
        // full-scale audio is far inside it.
        constexpr float limit = engine_constants::kInputLimit;
        x = std::min(std::max(x, -limit), limit);
        const float v = x * scale - feedback;
        const float s = v + dither.triangularOf(draw);
        // Rounds half away from zero: s + 0.5 above zero, else s - 0.5 (exactly s + -0.5). The
        // sign of dithered audio is a coin toss near silence, so the choice is not a branch.
        const std::int64_t q =
            static_cast<std::int64_t>(s + stereo::selectGreater(s, 0.0f, 0.5f, -0.5f));
        lastValue = q;
        const float error = static_cast<float>(q) - v;
        switch (shaping)
        {
        case Shaping::eightTap:
            shapeEightTap(error);
            break;
        case Shaping::firstOrder:
            feedback = error;
            break;
        case Shaping::none:
            break;
        }
    }

    float output() const { return static_cast<float>(lastValue) * step; }

  private:
    enum class Shaping
    {
        none,
        eightTap,
        firstOrder,
    };

    static constexpr int kHistoryMask = engine_constants::kShapingTapCount - 1;

    void reset();

    void shapeEightTap(float error)
    {
        using engine_constants::kShapingCoefficients;
        errorHistory[historyIndex] = error;
        float sum = kShapingCoefficients[0] * errorHistory[historyIndex];
        for (int tap = 1; tap < engine_constants::kShapingTapCount; ++tap)
            sum += kShapingCoefficients[tap] * errorHistory[(historyIndex - tap) & kHistoryMask];
        feedback = sum;
        historyIndex = (historyIndex + 1) & kHistoryMask;
    }

    int wordLength = engine_constants::kMaxWordLengthBits;
    Shaping shaping = Shaping::eightTap;
    float scale = 0.0f;
    float step = 0.0f;
    // 64 bits so no input can make the rounding overflow.
    std::int64_t lastValue = 0;
    NoiseSource dither;
    float errorHistory[engine_constants::kShapingTapCount] = {};
    int historyIndex = 0;
    float feedback = 0.0f;
};
