// The built VarnholtPro.so, loaded as hosts load it: dlopen with RTLD_NOW | RTLD_LOCAL and the
// entry symbols looked up by name.
#pragma once

#include <dlfcn.h>

#include <stdexcept>

#include "vst/VstAbi.h"

// The library stays loaded while at least one PluginLibrary object holds it.
class PluginLibrary
{
  public:
    PluginLibrary() : handle(dlopen(VARNHOLT_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL))
    {
        if (handle == nullptr)
            throw std::runtime_error(dlerror());
    }
    ~PluginLibrary() { dlclose(handle); }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    VstPluginMainProc entry(const char* symbol) const
    {
        return reinterpret_cast<VstPluginMainProc>(dlsym(handle, symbol));
    }
    static bool isLoaded()
    {
        void* probe = dlopen(VARNHOLT_PLUGIN_PATH, RTLD_NOW | RTLD_NOLOAD);
        if (probe != nullptr)
            dlclose(probe);
        return probe != nullptr;
    }
    // Loads the library for the rest of the process, as a host keeps it while it runs (and so
    // that leak reports at exit can still name its code).
    static void keepLoaded()
    {
        static void* const kHandle = dlopen(VARNHOLT_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        if (kHandle == nullptr)
            throw std::runtime_error(dlerror());
    }

  private:
    void* handle;
};
