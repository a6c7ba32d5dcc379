// Loudness and peak figures of a stereo stream (BS.1770 / EBU R 128 via libebur128).
#pragma once

#include <ebur128.h>

#include <cstddef>
#include <cstdint>

struct LoudnessFigures
{
    double integratedLufs; // -inf when everything was gated away (silence)
    double loudnessRangeLu;
    double maxShortTermLufs; // loudest 3 s window, sampled every 100 ms
    double samplePeakDbfs;
    double truePeakDbtp; // 4x oversampled
    std::uint64_t samplesAtFullScale;
};

class LoudnessMeter
{
  public:
    // fullScale: magnitude from which a sample counts as at or beyond full scale.
    LoudnessMeter(int sampleRateHz, float fullScale);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    void add(const float* interleavedStereo, std::size_t frames);
    LoudnessFigures figures() const;

  private:
    ebur128_state* state;
    std::size_t framesPerShortTermStep;
    std::size_t framesToNextStep;
    double maxShortTermLufs;
    float fullScale;
    std::uint64_t samplesAtFullScale = 0;
};
