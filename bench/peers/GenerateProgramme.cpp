// Writes the comparison's programme: the host's demo mix synthesised at the requested rate and
// repeated to the requested length, as a 32-bit float stereo WAV.
//   varnholt_bench_programme OUTPUT.wav SECONDS SAMPLE_RATE_HZ

#include "host/AudioFile.h"
#include "host/DemoSynth.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <vector>

int main(int argc, char** argv)
{
    constexpr int kStereoChannels = 2;
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: %s OUTPUT.wav SECONDS SAMPLE_RATE_HZ\n", argv[0]);
        return 2;
    }
    const double seconds = std::atof(argv[2]);
    const int sampleRateHz = std::atoi(argv[3]);
    if (seconds <= 0.0 || sampleRateHz <= 0)
    {
        std::fprintf(stderr, "%s: SECONDS and SAMPLE_RATE_HZ must be positive\n", argv[0]);
        return 2;
    }
    try
    {
        const std::vector<float> demo = synthesiseDemo(sampleRateHz);
        const std::size_t demoFrames = demo.size() / kStereoChannels;
        std::size_t framesLeft = static_cast<std::size_t>(seconds * sampleRateHz);
        AudioWriter writer(argv[1], SF_FORMAT_WAV | SF_FORMAT_FLOAT, sampleRateHz);
        while (framesLeft > 0)
        {
            const std::size_t frames = std::min(framesLeft, demoFrames);
            writer.write(demo.data(), frames);
            framesLeft -= frames;
        }
        writer.commit();
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    return 0;
}
