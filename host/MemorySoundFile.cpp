#include "host/MemorySoundFile.h"

#include "host/HostError.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr int kStereoChannels = 2;
constexpr std::size_t kHeaderBytes = 4096; // room for any container's header

MemorySoundFile& fileOf(void* user)
{
    return *static_cast<MemorySoundFile*>(user);
}

sf_count_t length(void* user)
{
    return static_cast<sf_count_t>(fileOf(user).data.size());
}

sf_count_t seek(sf_count_t offset, int whence, void* user)
{
    MemorySoundFile& file = fileOf(user);
    sf_count_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<sf_count_t>(file.position);
    else if (whence == SEEK_END)
        base = static_cast<sf_count_t>(file.data.size());
    const sf_count_t target = base + offset;
    if (target < 0)
        return -1;
    file.position = static_cast<std::size_t>(target);
    return target;
}

sf_count_t read(void* destination, sf_count_t count, void* user)
{
    MemorySoundFile& file = fileOf(user);
    const std::size_t available =
        file.position < file.data.size() ? file.data.size() - file.position : 0;
    const std::size_t bytes = std::min(available, static_cast<std::size_t>(count));
    std::memcpy(destination, file.data.data() + file.position, bytes);
    file.position += bytes;
    return static_cast<sf_count_t>(bytes);
}

sf_count_t write(const void* source, sf_count_t count, void* user)
{
    MemorySoundFile& file = fileOf(user);
    const std::size_t bytes = static_cast<std::size_t>(count);
    if (file.position + bytes > file.data.size())
        file.data.resize(file.position + bytes);
    std::memcpy(file.data.data() + file.position, source, bytes);
    file.position += bytes;
    return count;
}

sf_count_t tell(void* user)
{
    return static_cast<sf_count_t>(fileOf(user).position);
}

// Bytes per stored sample; compressed types get the room of 16 bits and grow if they need more.
std::size_t storedSampleBytes(SoundFileFormat format)
{
    switch (format & SF_FORMAT_SUBMASK)
    {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 1;
    case SF_FORMAT_PCM_24:
        return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 4;
    case SF_FORMAT_DOUBLE:
        return 8;
    default:
        return 2;
    }
}

SF_VIRTUAL_IO memoryIo = {length, seek, read, write, tell};
} // namespace

MemoryEncoder::MemoryEncoder(SoundFileFormat format, int sampleRateHz, std::size_t expectedFrames)
{
    file.data.reserve(kHeaderBytes + expectedFrames * kStereoChannels * storedSampleBytes(format));
    SF_INFO info{};
    info.format = format;
    info.channels = kStereoChannels;
    info.samplerate = sampleRateHz;
    handle = sf_open_virtual(&memoryIo, SFM_WRITE, &info, &file);
    if (handle == nullptr)
        throw HostError(std::string("cannot encode the output: ") + sf_strerror(nullptr));
    // As AudioWriter: integer files clip samples beyond full scale instead of wrapping.
    sf_command(handle, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // The PEAK chunk carries the time of writing; without it equal renders are equal files.
    sf_command(handle, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
}

MemoryEncoder::~MemoryEncoder()
{
    if (handle != nullptr)
        sf_close(handle);
}

void MemoryEncoder::write(const float* interleavedStereo, std::size_t frames)
{
    if (static_cast<std::size_t>(sf_writef_float(handle, interleavedStereo, frames)) != frames)
        throw HostError(std::string("cannot encode the output: ") + sf_strerror(handle));
}

MemorySoundFile MemoryEncoder::finish()
{
    const int error = sf_close(handle);
    handle = nullptr;
    if (error != 0)
        throw HostError(std::string("cannot encode the output: ") + sf_error_number(error));
    file.position = 0;
    return std::move(file);
}

MemoryDecoder::MemoryDecoder(MemorySoundFile& memoryFile) : file(memoryFile)
{
    file.position = 0;
    SF_INFO info{};
    handle = sf_open_virtual(&memoryIo, SFM_READ, &info, &file);
    if (handle == nullptr)
        throw HostError(std::string("cannot decode the encoded output: ") + sf_strerror(nullptr));
}

MemoryDecoder::~MemoryDecoder()
{
    sf_close(handle);
}

std::size_t MemoryDecoder::read(float* interleavedStereo, std::size_t frames)
{
    return static_cast<std::size_t>(sf_readf_float(handle, interleavedStereo, frames));
}
