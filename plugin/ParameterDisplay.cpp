#include "plugin/ParameterDisplay.h"

#include <cstdio>

#include "parameters/Parameters.h"
#include "vst/TextCopy.h"
#include "vst/VstAbi.h"

void formatParameterDisplay(int index, float x, char* text)
{
    const double low = kParamRange[index].low;
    const double high = kParamRange[index].high;
    const double shown = low * (1.0 - x) + high * x;
    // The usual three decimals first; values far outside the range give up decimals, and beyond
    // seven digits the exponent form keeps the magnitude readable.
    const char* const formats[] = {"%3.3f", "%.2f", "%.1f", "%.0f", "%.0e"};
    char candidate[64];
    for (const char* format : formats)
    {
        const int length = std::snprintf(candidate, sizeof candidate, format, shown);
        if (length >= 0 && length < kVstMaxParamStrLen)
            break;
    }
    copyText(text, candidate, kVstMaxParamStrLen);
}
