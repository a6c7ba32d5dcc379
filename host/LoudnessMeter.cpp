#include "host/LoudnessMeter.h"

#include "host/StereoLoudnessState.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double kShortTermStepSeconds = 0.1; // the refresh rate R 128 asks of a short-term meter
} // namespace

using namespace stereo_loudness;

LoudnessMeter::LoudnessMeter(int sampleRateHz, float fullScaleMagnitude)
    : state(openMeasurement(sampleRateHz)),
      framesPerShortTermStep(
          std::max<std::size_t>(1, static_cast<std::size_t>(sampleRateHz * kShortTermStepSeconds))),
      framesToNextStep(framesPerShortTermStep), maxShortTermLufs(kSilenceDb),
      fullScale(fullScaleMagnitude)
{
}

LoudnessMeter::~LoudnessMeter()
{
    ebur128_destroy(&state);
}

void LoudnessMeter::add(const float* interleavedStereo, std::size_t frames)
{
    samplesAtFullScale +=
        std::count_if(interleavedStereo, interleavedStereo + frames * kChannels,
                      [this](float sample) { return std::fabs(sample) >= fullScale; });
    while (frames > 0)
    {
        const std::size_t chunk = std::min(frames, framesToNextStep);
        ebur128_add_frames_float(state, interleavedStereo, chunk);
        interleavedStereo += chunk * kChannels;
        frames -= chunk;
        framesToNextStep -= chunk;
        if (framesToNextStep == 0)
        {
            double shortTermLufs = kSilenceDb;
            if (ebur128_loudness_shortterm(state, &shortTermLufs) == EBUR128_SUCCESS)
                maxShortTermLufs = std::max(maxShortTermLufs, shortTermLufs);
            framesToNextStep = framesPerShortTermStep;
        }
    }
}

LoudnessFigures LoudnessMeter::figures() const
{
    return stereo_loudness::figures(state, maxShortTermLufs, samplesAtFullScale);
}
