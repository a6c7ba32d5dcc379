#include "host/WavFormatChunk.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
constexpr off_t kRiffSizeOffset = 4;
constexpr off_t kFormatChunkOffset = 12; // "fmt " right after "RIFF", its size and "WAVE"
constexpr off_t kFormatSizeOffset = 16;
constexpr off_t kFormatDataOffset = 20;
constexpr std::uint32_t kShortFormatBytes = 16;
constexpr std::uint32_t kExtendedFormatBytes = 18; // with cbSize
constexpr off_t kExtensionBytes = kExtendedFormatBytes - kShortFormatBytes;
constexpr std::uint16_t kPcmTag = 1;
constexpr std::size_t kShiftBlockBytes = 1 << 20;

std::uint32_t littleEndian32(const unsigned char* bytes)
{
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void putLittleEndian32(unsigned char* bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

bool readAll(int descriptor, void* data, std::size_t size, off_t offset)
{
    return pread(descriptor, data, size, offset) == static_cast<ssize_t>(size);
}

bool writeAll(int descriptor, const void* data, std::size_t size, off_t offset)
{
    return pwrite(descriptor, data, size, offset) == static_cast<ssize_t>(size);
}

int failure()
{
    return errno != 0 ? errno : EIO;
}
} // namespace

int completeFloatFormatChunk(int descriptor)
{
    unsigned char header[kFormatDataOffset + 2];
    struct stat status
    {
    };
    errno = 0;
    if (fstat(descriptor, &status) != 0 || !readAll(descriptor, header, sizeof header, 0))
        return failure();
    const std::uint16_t formatTag =
        static_cast<std::uint16_t>(header[kFormatDataOffset] | header[kFormatDataOffset + 1] << 8);
    const std::uint32_t riffBytes = littleEndian32(header + kRiffSizeOffset);
    const bool shortFloatChunk = std::memcmp(header, "RIFF", 4) == 0 &&
                                 std::memcmp(header + 8, "WAVE", 4) == 0 &&
                                 std::memcmp(header + kFormatChunkOffset, "fmt ", 4) == 0 &&
                                 littleEndian32(header + kFormatSizeOffset) == kShortFormatBytes &&
                                 formatTag != kPcmTag && riffBytes <= UINT32_MAX - kExtensionBytes;
    if (!shortFloatChunk)
        return 0;

    // Everything after the format chunk moves up by two bytes, from the end backwards.
    const off_t start = kFormatDataOffset + kShortFormatBytes;
    std::vector<unsigned char> block(kShiftBlockBytes);
    for (off_t end = status.st_size; end > start;)
    {
        const off_t size = std::min<off_t>(static_cast<off_t>(block.size()), end - start);
        end -= size;
        if (!readAll(descriptor, block.data(), static_cast<std::size_t>(size), end) ||
            !writeAll(descriptor, block.data(), static_cast<std::size_t>(size),
                      end + kExtensionBytes))
            return failure();
    }
    const unsigned char noExtension[kExtensionBytes] = {0, 0};
    unsigned char size[4];
    putLittleEndian32(size, kExtendedFormatBytes);
    unsigned char riffSize[4];
    putLittleEndian32(riffSize, riffBytes + kExtensionBytes);
    if (!writeAll(descriptor, noExtension, sizeof noExtension, start) ||
        !writeAll(descriptor, size, sizeof size, kFormatSizeOffset) ||
        !writeAll(descriptor, riffSize, sizeof riffSize, kRiffSizeOffset))
        return failure();
    return 0;
}
