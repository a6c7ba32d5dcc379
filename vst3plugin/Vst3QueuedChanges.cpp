#include "vst3plugin/Vst3QueuedChanges.h"

#include <algorithm>

Vst3QueuedChanges::Vst3QueuedChanges(vst3::IParameterChanges* changes)
{
    if (changes == nullptr)
        return;
    const std::int32_t count = std::min(changes->getParameterCount(), kMaxQueues);
    for (std::int32_t i = 0; i < count; ++i)
    {
        vst3::IParamValueQueue* queue = changes->getParameterData(i);
        if (queue == nullptr)
            continue;
        Cursor& cursor = cursors[queueCount++];
        cursor.queue = queue;
        cursor.id = queue->getParameterId();
        cursor.count = queue->getPointCount();
        advance(cursor);
    }
}

void Vst3QueuedChanges::advance(Cursor& cursor)
{
    cursor.hasPoint =
        cursor.next < cursor.count &&
        cursor.queue->getPoint(cursor.next, cursor.offset, cursor.value) == vst3::kResultOk;
    ++cursor.next;
}

std::int32_t Vst3QueuedChanges::nextOffset(std::int32_t limit) const
{
    std::int32_t earliest = limit;
    for (int q = 0; q < queueCount; ++q)
        if (cursors[q].hasPoint)
            earliest = std::min(earliest, cursors[q].offset);
    return earliest;
}
