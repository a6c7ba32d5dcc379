// Inter-sample peaks of a stereo stream, estimated at eight points between every two samples
// (8x oversampling through a long windowed-sinc interpolator), which is stricter than the 4x that
// BS.1770 asks for: a ceiling judged by it holds on any compliant meter.
#pragma once

#include <cstddef>
#include <vector>

class FileTruePeakMeter
{
  public:
    FileTruePeakMeter();

    // The thread that owns the meter, as every call. Interpolated points lag the samples by the
    // interpolator's half length (under 50 frames).
    void add(const float* interleavedStereo, std::size_t frames);
    // Pushes the last samples' interpolated points out; add nothing after it.
    void finish();

    // Linear: the highest magnitude since the last call, which starts a new step. Within a step
    // a short interpolator estimates it (for plots); where the stream's peak rose, it is that.
    double takeStepPeak();
    // Linear: the highest magnitude of the whole stream so far, through the long interpolator.
    double peak() const { return streamPeak; }

  private:
    void interpolate(std::size_t firstCentre, std::size_t endCentre);

    std::vector<float> left, right; // the frames still needed for interpolation, then new ones
    std::size_t samplesHeld;
    double stepPeak = 0.0;
    double streamPeak = 0.0;
    double streamPeakAtStepStart = 0.0;
};
