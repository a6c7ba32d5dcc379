// What the host tells a plug-in when it calls back: rate, block size and transport.
#pragma once

#include "vst/VstAbi.h"

// Host-side state a plug-in may ask about; one per plug-in instance.
struct HostContext
{
    double sampleRateHz = 44100.0;
    VstInt32 maxBlockFrames = 512;
    VstTimeInfo timeInfo{};

    // Places the transport at a frame position before each block; the render always plays.
    void setPosition(double samplePos, bool transportChanged);
};

// The audioMasterCallback handed to every plug-in this host loads.
extern "C" VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                  void* ptr, float opt);

// Binds calls that arrive while the entry point runs (the effect is not known yet) to a context.
class InstantiationScope
{
  public:
    explicit InstantiationScope(HostContext& context);
    ~InstantiationScope();
    InstantiationScope(const InstantiationScope&) = delete;
    InstantiationScope& operator=(const InstantiationScope&) = delete;
};

// Ties an effect to its context for the calls that follow instantiation.
void attachHostContext(AEffect& effect, HostContext& context);
