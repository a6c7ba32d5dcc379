// Writes produced music as a programme for the peer comparison, a 32-bit float stereo WAV:
//   varnholt_bench_music OUTPUT.wav SECONDS SAMPLE_RATE_HZ SOURCE...
// An equal share of SECONDS from the middle of each source (any file libsndfile decodes, such
// as the soundtracks Debian's game packages ship), each resampled to SAMPLE_RATE_HZ, one after
// the other, at the level it was produced at.

#include "host/AudioFile.h"

#include <samplerate.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
constexpr int kStereoChannels = 2;

// The whole of a source as interleaved stereo at its own rate.
std::vector<float> decode(AudioReader& reader)
{
    std::vector<float> samples(kStereoChannels * static_cast<std::size_t>(reader.frames()));
    const std::size_t frames = reader.read(samples.data(), samples.size() / kStereoChannels);
    samples.resize(kStereoChannels * frames);
    return samples;
}

// `frames` frames at `toRateHz` from the middle of a source.
std::vector<float> middleOf(const std::string& path, std::size_t frames, int toRateHz)
{
    AudioReader reader(path);
    const std::vector<float> source = decode(reader);
    const double ratio = static_cast<double>(toRateHz) / reader.sampleRateHz();
    const std::size_t sourceFrames = source.size() / kStereoChannels;
    const std::size_t wanted = static_cast<std::size_t>(static_cast<double>(frames) / ratio) + 1;
    if (wanted > sourceFrames)
        throw std::runtime_error(path + " is shorter than its share of the programme");
    const std::size_t first = (sourceFrames - wanted) / 2;
    std::vector<float> resampled(kStereoChannels * (frames + 1));
    SRC_DATA data{};
    data.data_in = source.data() + kStereoChannels * first;
    data.input_frames = static_cast<long>(wanted);
    data.data_out = resampled.data();
    data.output_frames = static_cast<long>(frames + 1);
    data.src_ratio = ratio;
    const int error = src_simple(&data, SRC_SINC_MEDIUM_QUALITY, kStereoChannels);
    if (error != 0)
        throw std::runtime_error(path + ": " + src_strerror(error));
    if (static_cast<std::size_t>(data.output_frames_gen) < frames)
        throw std::runtime_error(path + " resampled to fewer frames than its share");
    resampled.resize(kStereoChannels * frames);
    return resampled;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 5)
    {
        std::fprintf(stderr, "usage: %s OUTPUT.wav SECONDS SAMPLE_RATE_HZ SOURCE...\n", argv[0]);
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
        const int sources = argc - 4;
        const std::size_t share = static_cast<std::size_t>(seconds * sampleRateHz) / sources;
        AudioWriter writer(argv[1], SF_FORMAT_WAV | SF_FORMAT_FLOAT, sampleRateHz);
        for (int s = 0; s < sources; ++s)
        {
            const std::vector<float> piece = middleOf(argv[4 + s], share, sampleRateHz);
            writer.write(piece.data(), share);
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
