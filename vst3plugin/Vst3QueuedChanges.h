// The host's parameter queues of one process call, walked in frame order so the block can be
// split where a change lands. Holds no more than a fixed number of queues and allocates
// nothing: audio thread.
#pragma once

#include <cstdint>

#include "vst3/Vst3Processor.h"

class Vst3QueuedChanges
{
  public:
    // Queues beyond this many are ignored; we have 18 parameters.
    static constexpr int kMaxQueues = 32;

    explicit Vst3QueuedChanges(vst3::IParameterChanges* changes);

    // Hands every point at or before frame to apply(id, value), in each queue's order.
    template <typename Apply> void applyThrough(std::int32_t frame, Apply&& apply)
    {
        for (int q = 0; q < queueCount; ++q)
        {
            Cursor& cursor = cursors[q];
            while (cursor.hasPoint && cursor.offset <= frame)
            {
                apply(cursor.id, cursor.value);
                advance(cursor);
            }
        }
    }
    // Hands every point left to apply, whatever its offset.
    template <typename Apply> void applyRest(Apply&& apply) { applyThrough(INT32_MAX, apply); }
    // The earliest offset of a point not yet applied, or limit when there is none before it.
    std::int32_t nextOffset(std::int32_t limit) const;

  private:
    struct Cursor
    {
        vst3::IParamValueQueue* queue = nullptr;
        vst3::ParamID id = 0;
        std::int32_t count = 0;
        std::int32_t next = 0;
        bool hasPoint = false;
        std::int32_t offset = 0;
        double value = 0.0;
    };
    // Loads the cursor's next point; a point the queue will not give ends the queue.
    static void advance(Cursor& cursor);

    Cursor cursors[kMaxQueues];
    int queueCount = 0;
};
