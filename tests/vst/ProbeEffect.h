// A minimal effect on our base layer that records which virtual operations the dispatcher reached.
#pragma once

#include <string>
#include <vector>

#include "vst/AudioEffectX.h"

struct ProbeEffect : AudioEffectX
{
    explicit ProbeEffect(audioMasterCallback host, int* destroyedCount = nullptr)
        : AudioEffectX(host, 3, 4), destroyedCount(destroyedCount)
    {
    }
    ~ProbeEffect() override
    {
        if (destroyedCount != nullptr)
            ++*destroyedCount;
    }

    void processReplacing(float**, float**, VstInt32 frames) override { processedFrames += frames; }
    void setParameter(VstInt32 index, float value) override
    {
        calls.push_back("setParameter " + std::to_string(index) + " " + std::to_string(value));
    }
    void setProgram(VstInt32 program) override
    {
        calls.push_back("setProgram " + std::to_string(program));
    }
    void getParameterName(VstInt32, char* text) override
    {
        calls.push_back(text ? "name" : "null");
    }
    void suspend() override { calls.push_back("suspend"); }
    void resume() override { calls.push_back("resume"); }
    bool setBypass(bool onOff) override
    {
        calls.push_back(onOff ? "bypass on" : "bypass off");
        return true;
    }

    int* destroyedCount;
    VstInt32 processedFrames = 0;
    std::vector<std::string> calls;
};

inline VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}
