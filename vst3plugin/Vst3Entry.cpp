// The module's three exported symbols, as Linux VST3 hosts look them up.
#include "vst3plugin/Vst3Factory.h"

// Host's loading thread, after dlopen. The module keeps no state that needs setting up.
extern "C" __attribute__((visibility("default"))) bool ModuleEntry(void*)
{
    return true;
}

// Host's loading thread, before dlclose.
extern "C" __attribute__((visibility("default"))) bool ModuleExit()
{
    return true;
}

// Any thread. The one factory, already counted for the caller.
extern "C" __attribute__((visibility("default"))) vst3::IPluginFactory* GetPluginFactory()
{
    return &vst3Factory();
}
