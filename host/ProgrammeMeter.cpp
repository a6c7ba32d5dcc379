#include "host/ProgrammeMeter.h"

#include "host/StereoLoudnessState.h"

#include <algorithm>
#include <cmath>

using namespace stereo_loudness;

ProgrammeMeter::ProgrammeMeter(int sampleRateHz, float fullScaleMagnitude)
    : state(openMeasurement(sampleRateHz)),
      framesPerStep(std::max<std::size_t>(
          1, static_cast<std::size_t>(sampleRateHz * LoudnessTrace::kStepSeconds))),
      fullScale(fullScaleMagnitude)
{
}

ProgrammeMeter::~ProgrammeMeter()
{
    ebur128_destroy(&state);
}

void ProgrammeMeter::add(const float* interleavedStereo, std::size_t frames)
{
    while (frames > 0)
    {
        const std::size_t chunk = std::min(frames, framesPerStep - framesInStep);
        for (std::size_t sample = 0; sample < chunk * kChannels; ++sample)
        {
            const float value = interleavedStereo[sample];
            squareSum += static_cast<double>(value) * value;
            samplesAtFullScale += std::fabs(value) >= fullScale ? 1 : 0;
        }
        ebur128_add_frames_float(state, interleavedStereo, chunk);
        stepTruePeak = std::max(stepTruePeak, loudestChannel(state, ebur128_prev_true_peak));
        interleavedStereo += chunk * kChannels;
        frames -= chunk;
        framesInStep += chunk;
        if (framesInStep == framesPerStep)
            closeStep();
    }
}

void ProgrammeMeter::finish()
{
    if (framesInStep > 0)
        closeStep();
}

void ProgrammeMeter::closeStep()
{
    double shortTermLufs = kSilenceDb;
    if (ebur128_loudness_shortterm(state, &shortTermLufs) != EBUR128_SUCCESS)
        shortTermLufs = kSilenceDb;
    steps.shortTermLufs.push_back(shortTermLufs);
    steps.truePeakDbtp.push_back(toDb(stepTruePeak));
    stepTruePeak = 0.0;
    steps.meanSquare.push_back(squareSum / static_cast<double>(framesInStep * kChannels));
    squareSum = 0.0;
    framesInStep = 0;
}

LoudnessFigures ProgrammeMeter::figures() const
{
    double maxShortTermLufs = kSilenceDb;
    for (double lufs : steps.shortTermLufs)
        maxShortTermLufs = std::max(maxShortTermLufs, lufs);
    return stereo_loudness::figures(state, maxShortTermLufs, samplesAtFullScale);
}

double ProgrammeMeter::albumLoudnessLufs(const std::vector<ProgrammeMeter*>& tracks)
{
    std::vector<ebur128_state*> states;
    for (ProgrammeMeter* track : tracks)
        states.push_back(track->state);
    double lufs = kSilenceDb;
    if (ebur128_loudness_global_multiple(states.data(), states.size(), &lufs) != EBUR128_SUCCESS)
        return kSilenceDb;
    return lufs;
}
