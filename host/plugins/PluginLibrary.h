// Opening a VST 2.4 plug-in library the way Linux hosts open one.
#pragma once

#include "vst/VstAbi.h"

#include <string>

// Opens the shared library and returns its entry (VSTPluginMain, else main); throws HostError.
// The library stays loaded until the program ends: plug-ins may leave threads, exit handlers
// and allocations behind after effClose, and unloading them gains a one-shot render nothing.
VstPluginMainProc loadPluginEntry(const std::string& path);

// Where our own plug-in is looked for: beside the program (build tree), then ../lib/vst (install).
std::string defaultPluginPath(const std::string& programDirectory);

// The folder holding the running program.
std::string programDirectory();
