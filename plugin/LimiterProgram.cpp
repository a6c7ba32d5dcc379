#include "plugin/LimiterProgram.h"

#include "vst/TextCopy.h"

LimiterProgram::LimiterProgram()
{
    constexpr int defaultRow = 0;
    for (int i = 0; i < kNumParams; ++i)
    {
        values[i].store(presetTable[defaultRow][i], std::memory_order_relaxed);
        copyText(paramNames[i], paramNameTable[i], paramNameSize);
        copyText(paramLabels[i], paramLabelTable[i], paramNameSize);
    }
    copyText(name, programNameTable[defaultRow], programNameSize);
}

void LimiterProgram::loadPreset(int i)
{
    if (i < 0 || i >= kNumPrograms)
    {
        return;
    }
    for (int p = 0; p < kNumParams; ++p)
    {
        values[p].store(presetTable[i][p], std::memory_order_relaxed);
    }
    copyText(name, programNameTable[i], programNameSize);
}
