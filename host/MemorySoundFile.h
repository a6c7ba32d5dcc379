// Sound files built in memory: a render is encoded exactly as it would be written, measured by
// decoding those bytes, and only the accepted one reaches the disk.
#pragma once

#include "host/AudioFile.h"

#include <cstddef>
#include <string>
#include <vector>

// A complete file, header included, and the read/write position of libsndfile's virtual I/O.
struct MemorySoundFile
{
    std::vector<char> data;
    std::size_t position = 0;
};

// Encodes interleaved stereo in `format`, as libsndfile writes it to disk (clipping on).
class MemoryEncoder
{
  public:
    // expectedFrames: room reserved up front, so a long render is not copied as it grows.
    MemoryEncoder(SoundFileFormat format, int sampleRateHz, std::size_t expectedFrames);
    ~MemoryEncoder();
    MemoryEncoder(const MemoryEncoder&) = delete;
    MemoryEncoder& operator=(const MemoryEncoder&) = delete;

    void write(const float* interleavedStereo, std::size_t frames);
    // Closes the stream (headers complete) and hands the file over.
    MemorySoundFile finish();

  private:
    MemorySoundFile file;
    SNDFILE* handle = nullptr;
};

// Decodes a file made by MemoryEncoder in blocks, as a reader of the written file would see it.
class MemoryDecoder
{
  public:
    explicit MemoryDecoder(MemorySoundFile& file);
    ~MemoryDecoder();
    MemoryDecoder(const MemoryDecoder&) = delete;
    MemoryDecoder& operator=(const MemoryDecoder&) = delete;

    std::size_t read(float* interleavedStereo, std::size_t frames);

  private:
    MemorySoundFile& file;
    SNDFILE* handle = nullptr;
};
