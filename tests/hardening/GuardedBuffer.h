// A buffer handed to the effect through a pointer argument, with guard bytes on both sides and
// a record of its content, so any write outside the bytes the interface lets the effect write
// is found after the call.
#pragma once

#include <cstddef>
#include <cstring>
#include <random>
#include <vector>

class GuardedBuffer
{
  public:
    static constexpr std::size_t kGuardBytes = 64;
    static constexpr std::size_t kLargestBytes = 512;

    // readableBytes of random content (a text ending in a terminator when asked), of which the
    // first writableBytes may be written by the effect.
    void prepare(std::mt19937& random, std::size_t readableBytes, std::size_t writableBytes,
                 bool terminatedText)
    {
        writable = writableBytes;
        std::uniform_int_distribution<int> byte(0, 255);
        std::uniform_int_distribution<int> printable(' ', '~');
        for (unsigned char& b : storage)
        {
            b = static_cast<unsigned char>(byte(random));
        }
        if (terminatedText && readableBytes > 0)
        {
            for (std::size_t i = 0; i + 1 < readableBytes; ++i)
            {
                storage[kGuardBytes + i] = static_cast<unsigned char>(printable(random));
            }
            storage[kGuardBytes + readableBytes - 1] = '\0';
        }
        before = storage;
    }

    void* data() { return storage.data() + kGuardBytes; }

    // True when nothing changed outside the writable bytes.
    bool intact() const
    {
        const std::size_t writableEnd = kGuardBytes + writable;
        return std::memcmp(storage.data(), before.data(), kGuardBytes) == 0 &&
               std::memcmp(storage.data() + writableEnd, before.data() + writableEnd,
                           storage.size() - writableEnd) == 0;
    }

  private:
    std::vector<unsigned char> storage =
        std::vector<unsigned char>(kLargestBytes + 2 * kGuardBytes);
    std::vector<unsigned char> before;
    std::size_t writable = 0;
};
