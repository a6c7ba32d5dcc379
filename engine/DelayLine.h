#pragma once

#include "engine/StereoVector.h"

#include <algorithm>
#include <memory>

// Ring buffer of samples with reads at the full delay (readOldest) or any shorter delay of at
// least one sample (readAt). The ring has length + 1 slots. Each slot is stored twice, the
// second copy length + 1 slots further on, so a read never wraps: it costs one add and no
// comparison. Sample is float, or StereoVector for both channels of the engine in one line.
template <typename Sample> class BasicDelayLine
{
  public:
    BasicDelayLine() = default;
    virtual ~BasicDelayLine() = default;
    BasicDelayLine(const BasicDelayLine&) = delete;
    BasicDelayLine& operator=(const BasicDelayLine&) = delete;

    // Allocates; not for the audio path. Length is limited to the capacity; a greater capacity
    // than before reallocates rather than writing past the end.
    void configure(int requestedLength, int requestedCapacity, float readGain)
    {
        capacity = std::max(requestedCapacity, 0);
        length = std::clamp(requestedLength, 0, capacity);
        const int slots = 2 * (capacity + 1);
        if (slots > allocatedSlots)
        {
            storage = std::make_unique<Sample[]>(static_cast<std::size_t>(slots));
            allocatedSlots = slots;
        }
        clear();
        gain = stereo::broadcast<Sample>(readGain);
    }

    void clear()
    {
        std::fill(storage.get(), storage.get() + allocatedSlots, Sample{});
        position = 0;
    }

    // Writes and the window from the oldest slot for a caller that keeps the write position
    // itself, in a register across a block; hand the position back with setPosition. Valid
    // until the next configure.
    struct Cursor
    {
        Sample* slots;
        int length;
        int position;

        void write(Sample sample)
        {
            slots[position] = sample;
            slots[position + length + 1] = sample;
            if (++position > length)
            {
                position = 0;
            }
        }

        const Sample* fromOldest() const { return slots + position; }
    };

    Cursor cursor() { return Cursor{storage.get(), length, position}; }
    void setPosition(const Cursor& moved) { position = moved.position; }

    void write(Sample sample)
    {
        Cursor moving = cursor();
        moving.write(sample);
        setPosition(moving);
    }

    // The sample written `length` writes before the most recent one.
    Sample readOldest() const { return storage[position] * gain; }

    // The sample written length - k writes before the most recent one; k is clamped to
    // 0..length - 1.
    Sample readAt(int k) const { return readAtInRange(std::max(std::min(k, length - 1), 0)); }

    // readAt for a k the caller has already clamped to 0..length - 1.
    Sample readAtInRange(int k) const { return storage[position + k] * gain; }

    // The slots from the oldest sample on, without the gain: element k is readAt(k) / gain for
    // k in 0..length - 1. Lets a caller that reads many taps of a unit-gain line skip the
    // per-read index arithmetic; valid until the next write.
    const Sample* slotsFromOldest() const { return storage.get() + position; }

    int getLength() const { return length; }

  private:
    std::unique_ptr<Sample[]> storage;
    int allocatedSlots = 0;
    int length = 0;
    int capacity = 0;
    int position = 0;
    Sample gain = stereo::broadcast<Sample>(1.0f);
};

using DelayLine = BasicDelayLine<float>;
using StereoDelayLine = BasicDelayLine<StereoVector>;
