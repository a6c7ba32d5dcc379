#include "plugin/LimiterProgram.h"

#include "vst/TextCopy.h"

LimiterProgram::LimiterProgram()
{
    constexpr int defaultRow = 0;
    for (int i = 0; i < kNumParams; ++i)
    {
        values[i].store(kPresetTable[defaultRow][i], std::memory_order_relaxed);
        copyText(paramNames[i], kParamNameTable[i], kParamNameSize);
        copyText(paramLabels[i], kParamLabelTable[i], kParamNameSize);
    }
    copyText(name, kProgramNameTable[defaultRow], kProgramNameSize);
}

void LimiterProgram::loadPreset(int i)
{
    if (i < 0 || i >= kNumPrograms)
        return;
    for (int p = 0; p < kNumParams; ++p)
        values[p].store(kPresetTable[i][p], std::memory_order_relaxed);
    copyText(name, kProgramNameTable[i], kProgramNameSize);
}
