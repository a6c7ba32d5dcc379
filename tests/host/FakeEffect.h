// A minimal VST 2.4 effect for the host's tests: a pure delay that logs what the host does.
#pragma once

#include "vst/VstAbi.h"

#include <string>
#include <vector>

struct FakeEffectSettings
{
    int delayFrames = 0;
    bool announceDelayLate = false; // initialDelay stays 0 until the first block has run
    bool returnNull = false;
    VstInt32 magic = kEffectMagic;
    VstInt32 inputs = 2;
    bool accumulating = false; // offers only the old process entry, which adds to its outputs
};

// Settings for the next instance, and what the host did to the instances so far: dispatcher
// calls by name ("mains 1", "block 64", ...; a run of blocks is one "process"), and the
// samplePos the host's time info showed at each block.
struct FakeEffectRecord
{
    FakeEffectSettings settings;
    std::vector<std::string> calls;
    std::vector<double> blockPositions;
};
FakeEffectRecord& fakeEffectRecord();

extern "C" AEffect* fakeEffectMain(audioMasterCallback host);
