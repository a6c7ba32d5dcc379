#pragma once

#include <memory>

// Ring buffer of samples with reads at the full delay (readOldest) or any shorter delay of at
// least one sample (readAt). The ring has length + 1 slots. Each slot is stored twice, the
// second copy length + 1 slots further on, so a read never wraps: it costs one add and no
// comparison.
class DelayLine
{
  public:
    DelayLine() = default;
    virtual ~DelayLine() = default;
    DelayLine(const DelayLine&) = delete;
    DelayLine& operator=(const DelayLine&) = delete;

    // Allocates; not for the audio path. Length is limited to the capacity.
    void configure(int requestedLength, int requestedCapacity, float readGain);
    void clear();

    void write(float sample)
    {
        storage[position] = sample;
        storage[position + length + 1] = sample;
        if (++position > length)
        {
            position = 0;
        }
    }

    // The sample written `length` writes before the most recent one.
    float readOldest() const { return storage[position] * gain; }

    // The sample written length - k writes before the most recent one; k is clamped to
    // 0..length - 1.
    float readAt(int k) const
    {
        if (k > length - 1)
        {
            k = length - 1;
        }
        if (k < 0)
        {
            k = 0;
        }
        return readAtInRange(k);
    }

    // readAt for a k the caller has already clamped to 0..length - 1.
    float readAtInRange(int k) const { return storage[position + k] * gain; }

    int getLength() const { return length; }

  private:
    std::unique_ptr<float[]> storage;
    int allocatedSlots = 0;
    int length = 0;
    int capacity = 0;
    int position = 0;
    float gain = 1.0f;
};
