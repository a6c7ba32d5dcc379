#include "engine/DelayLine.h"

#include <algorithm>

void DelayLine::configure(int requestedLength, int requestedCapacity, float readGain)
{
    capacity = std::max(requestedCapacity, 0);
    length = std::clamp(requestedLength, 0, capacity);
    // Two copies of capacity + 1 slots. A greater capacity than before reallocates rather than
    // writing past the end.
    const int slots = 2 * (capacity + 1);
    if (slots > allocatedSlots)
    {
        storage = std::make_unique<float[]>(static_cast<std::size_t>(slots));
        allocatedSlots = slots;
    }
    clear();
    gain = readGain;
}

void DelayLine::clear()
{
    std::fill(storage.get(), storage.get() + allocatedSlots, 0.0f);
    position = 0;
}
