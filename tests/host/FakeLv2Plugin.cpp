// A mono LV2 effect for the host's tests: a delay that states its latency only once it has run,
// with two event inputs and one event output whose buffers it checks on every run. Any buffer
// the host got wrong turns its output into NaN.
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace
{
constexpr char kUri[] = "urn:varnholt:fake-delay";
constexpr std::uint32_t kDelayFrames = 7;
constexpr std::uint32_t kMinimumOutputBytes = 4096; // the Turtle's rsz:minimumSize

enum Port : std::uint32_t
{
    kInput,
    kOutput,
    kEventsA,
    kEventsB,
    kEventsOut,
    kLatency,
};

struct FakeDelay
{
    LV2_URID sequenceType = 0;
    LV2_URID chunkType = 0;
    const float* input = nullptr;
    float* output = nullptr;
    const LV2_Atom_Sequence* events[2] = {};
    const LV2_Atom* eventsOut = nullptr;
    float* latency = nullptr;
    float delay[kDelayFrames] = {};
    std::uint32_t position = 0;

    bool buffersValid() const
    {
        for (const LV2_Atom_Sequence* sequence : events)
        {
            if (sequence == nullptr || sequence->atom.type != sequenceType ||
                sequence->atom.size != sizeof(LV2_Atom_Sequence_Body))
                return false;
        }
        return eventsOut != nullptr && eventsOut->type == chunkType &&
               eventsOut->size >= kMinimumOutputBytes - sizeof(LV2_Atom) && latency != nullptr;
    }
};

LV2_Handle instantiate(const LV2_Descriptor*, double, const char*,
                       const LV2_Feature* const* features)
{
    const LV2_URID_Map* map = nullptr;
    for (; *features != nullptr; ++features)
        if (std::strcmp((*features)->URI, LV2_URID__map) == 0)
            map = static_cast<const LV2_URID_Map*>((*features)->data);
    if (map == nullptr)
        return nullptr;
    auto* fake = new FakeDelay;
    fake->sequenceType = map->map(map->handle, LV2_ATOM__Sequence);
    fake->chunkType = map->map(map->handle, LV2_ATOM__Chunk);
    return fake;
}

void connectPort(LV2_Handle handle, std::uint32_t port, void* data)
{
    auto* fake = static_cast<FakeDelay*>(handle);
    switch (port)
    {
    case kInput:
        fake->input = static_cast<const float*>(data);
        break;
    case kOutput:
        fake->output = static_cast<float*>(data);
        break;
    case kEventsA:
        fake->events[0] = static_cast<const LV2_Atom_Sequence*>(data);
        break;
    case kEventsB:
        fake->events[1] = static_cast<const LV2_Atom_Sequence*>(data);
        break;
    case kEventsOut:
        fake->eventsOut = static_cast<const LV2_Atom*>(data);
        break;
    case kLatency:
        fake->latency = static_cast<float*>(data);
        break;
    default:
        break;
    }
}

void run(LV2_Handle handle, std::uint32_t frames)
{
    auto* fake = static_cast<FakeDelay*>(handle);
    const bool valid = fake->buffersValid();
    for (std::uint32_t frame = 0; frame < frames; ++frame)
    {
        const float delayed = fake->delay[fake->position];
        fake->delay[fake->position] = fake->input[frame];
        fake->position = (fake->position + 1) % kDelayFrames;
        fake->output[frame] = valid ? delayed : NAN;
    }
    if (fake->latency != nullptr)
        *fake->latency = kDelayFrames;
}

void cleanup(LV2_Handle handle)
{
    delete static_cast<FakeDelay*>(handle);
}

const LV2_Descriptor kDescriptor = {kUri, instantiate, connectPort, nullptr,
                                    run,  nullptr,     cleanup,     nullptr};
} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
