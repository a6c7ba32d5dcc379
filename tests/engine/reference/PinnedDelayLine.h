#pragma once

#include "engine/StereoVector.h"

#include <algorithm>
#include <memory>

// The engine's former look-ahead line. Ring buffer of samples, read at the full delay (readOldest)
// or through a window from the oldest slot (Cursor::fromOldest). The ring has length + 1 slots.
// Each slot is stored twice, the second copy length + 1 slots further on, so a window never wraps:
// a read costs one add and no comparison. Sample is float, or StereoVector for both channels of the
// engine in one line.
template <typename Sample> class PinnedBasicDelayLine
{
  public:
    PinnedBasicDelayLine() = default;
    virtual ~PinnedBasicDelayLine() = default;
    PinnedBasicDelayLine(const PinnedBasicDelayLine&) = delete;
    PinnedBasicDelayLine& operator=(const PinnedBasicDelayLine&) = delete;

    // Allocates; not for the audio path. Length is limited to the capacity; a greater capacity
    // than before reallocates rather than writing past the end.
    void configure(int requestedLength, int requestedCapacity)
    {
        const int capacity = std::max(requestedCapacity, 0);
        length = std::clamp(requestedLength, 0, capacity);
        const int slots = 2 * (capacity + 1);
        if (slots > allocatedSlots)
        {
            storage = std::make_unique<Sample[]>(static_cast<std::size_t>(slots));
            allocatedSlots = slots;
        }
        clear();
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
                position = 0;
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
    Sample readOldest() const { return storage[position]; }

  private:
    std::unique_ptr<Sample[]> storage;
    int allocatedSlots = 0;
    int length = 0;
    int position = 0;
};

using PinnedStereoDelayLine = PinnedBasicDelayLine<StereoVector>;
