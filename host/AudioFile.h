// Reading and writing audio files through libsndfile, always as interleaved stereo floats.
#pragma once

#include <sndfile.h>

#include <cstddef>
#include <memory>
#include <string>

class TemporaryOutput;

// libsndfile format word (container | sample type) for an output, e.g.
// SF_FORMAT_WAV|SF_FORMAT_FLOAT.
using SoundFileFormat = int;

// Sample type for a --format name (int16, int24, int32, float32, float64); throws HostError.
int sampleTypeNamed(const std::string& name);

// Output format: the container the output's extension names (the input's without one), holding
// the requested sample type (0 = the input's, or the nearest one the container can hold).
// Throws HostError for an extension naming no container libsndfile writes.
SoundFileFormat chooseOutputFormat(SoundFileFormat inputFormat, const std::string& outputPath,
                                   int requestedSampleType, int sampleRateHz);

// Smallest magnitude stored as the format's full-scale code; for floating-point types the
// level limiters clamp to, just below 1.0, so that a run of clamped samples counts as clipped.
float fullScaleLevel(SoundFileFormat format);

class AudioReader
{
  public:
    // Opens a mono or stereo file; throws HostError naming the file and the reason.
    explicit AudioReader(const std::string& path);
    ~AudioReader();
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    int sampleRateHz() const { return info.samplerate; }
    // As libsndfile counts them in what the file holds.
    long long frames() const { return info.frames; }
    // As the header states them, where it states more than the file holds; -1 where the length
    // is left open (a stream's header claiming the largest size).
    long long claimedFrames() const { return claimed; }
    SoundFileFormat format() const { return info.format; }

    // Fills up to `frames` stereo frames (mono is copied to both channels); fewer only at the end.
    std::size_t read(float* interleavedStereo, std::size_t frames);

  private:
    SF_INFO info{};
    SNDFILE* file = nullptr;
    std::string path;
    long long claimed = -1;
};

// Writes to a temporary file beside the target; only commit() puts it in place, so a failed
// or interrupted render leaves nothing behind.
class AudioWriter
{
  public:
    AudioWriter(const std::string& targetPath, SoundFileFormat format, int sampleRateHz);
    ~AudioWriter();
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    void write(const float* interleavedStereo, std::size_t frames);
    // Completes the file (headers written) where it can be read back before it is put in place;
    // throws HostError on failure.
    void close();
    const std::string& temporaryPath() const;
    // Closes the file if still open and renames it onto the target; throws HostError on failure.
    void commit();

    SoundFileFormat format() const { return fileFormat; }

  private:
    std::string target;
    std::unique_ptr<TemporaryOutput> output;
    SoundFileFormat fileFormat;
    SNDFILE* file = nullptr;
};
