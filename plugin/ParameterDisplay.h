// The VST 2.4 display text of a parameter value.
#pragma once

// Writes the value text of an index into text, which holds kVstMaxParamStrLen bytes: "%3.3f" of
// low * (1 - x) + high * x, with fewer decimals, or in exponent form, when that would not fit.
void formatParameterDisplay(int index, float x, char* text);
