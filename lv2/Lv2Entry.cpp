// The DSP library's one exported symbol, lv2_descriptor, and the C entry points it lists.
#include <lv2/core/lv2.h>

#include "lv2/Lv2Identity.h"
#include "lv2/Lv2Plugin.h"

namespace
{
Lv2Plugin* plugin(LV2_Handle handle)
{
    return static_cast<Lv2Plugin*>(handle);
}

// Host's instantiation thread. No required features; null when memory runs out, since no
// exception may cross into the host's C code.
LV2_Handle instantiate(const LV2_Descriptor*, double sampleRateHz, const char*,
                       const LV2_Feature* const*)
{
    try
    {
        return new Lv2Plugin(sampleRateHz);
    }
    catch (...)
    {
        return nullptr;
    }
}

void connectPort(LV2_Handle instance, std::uint32_t port, void* data)
{
    plugin(instance)->connectPort(port, data);
}

void activate(LV2_Handle instance)
{
    plugin(instance)->activate();
}

void run(LV2_Handle instance, std::uint32_t frames)
{
    plugin(instance)->run(frames);
}

void deactivate(LV2_Handle) {}

void cleanup(LV2_Handle instance)
{
    delete plugin(instance);
}

const void* extensionData(const char*)
{
    return nullptr;
}

const LV2_Descriptor kDescriptor = {lv2_identity::kPluginUri,
                                    instantiate,
                                    connectPort,
                                    activate,
                                    run,
                                    deactivate,
                                    cleanup,
                                    extensionData};
} // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
