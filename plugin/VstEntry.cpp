// The library's two exported symbols. Hosts look for VSTPluginMain first and fall back to main;
// exporting both reaches every Linux host.
#include "plugin/LimiterEffectEdit.h"

namespace
{
// Host's loading thread. Null when the host gives no callback, answers 0 to audioMasterVersion
// or the effect or (now or before in this process) its editor cannot be made.
AEffect* createEffect(audioMasterCallback audioMaster)
{
    if (audioMaster == nullptr ||
        audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    // No exception may cross into the host's C code.
    try
    {
        auto* effect = new LimiterEffectEdit(audioMaster);
        if (editorAllocationFailed.load())
        {
            delete effect;
            return nullptr;
        }
        return effect->getAeffect();
    }
    catch (...)
    {
        return nullptr;
    }
}
} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host)
{
    return createEffect(host);
}

// C++ reserves the name main for the program's entry, so a differently named function carries
// the symbol name main through an assembler label.
extern "C" __attribute__((visibility("default"))) AEffect*
vstMainEntry(audioMasterCallback host) __asm__("main");
extern "C" AEffect* vstMainEntry(audioMasterCallback host)
{
    return createEffect(host);
}
