// A VST 2.4 plug-in library opened the way Linux hosts open one.
#pragma once

#include "vst/VstAbi.h"

#include <string>

class PluginLibrary
{
  public:
    // Opens the shared library and finds its entry (VSTPluginMain, else main); throws HostError.
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    VstPluginMainProc entry() const { return entryPoint; }
    const std::string& path() const { return libraryPath; }

  private:
    std::string libraryPath;
    void* handle = nullptr;
    VstPluginMainProc entryPoint = nullptr;
};

// Where our own plug-in is looked for: beside the program (build tree), then ../lib/vst (install).
std::string defaultPluginPath(const std::string& programDirectory);

// The folder holding the running program.
std::string programDirectory();
