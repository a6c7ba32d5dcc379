// A VST3 bundle opened the way Linux hosts open one: its module loaded, entered and asked for
// its factory, and the effect class chosen.
#pragma once

#include "vst3/Vst3Factory.h"

#include <string>

struct Vst3EffectClass
{
    vst3::IPluginFactory* factory = nullptr;
    vst3::Tuid cid{};
    std::string name;
};

// The first audio effect class ("Audio Module Class") of the bundle at path: a folder
// X.vst3 holding Contents/x86_64-linux/X.so, or a single X.vst3 library. Throws HostError. The
// module stays loaded until the program ends, as VST 2.4 libraries do.
Vst3EffectClass openVst3Bundle(const std::string& path);
