// The 17 parameters as CLAP describes them: plain values in the units a user reads (dB of the
// gain applied, ms, %, menu entries and toggles as whole numbers), converted to and from the
// stored parameter value every edition keeps.
#pragma once

#include <cstdint>
#include <optional>

#include "clap/Extensions.h"

// Main thread. False for an index outside 0..16.
bool describeParameter(std::uint32_t index, clap_param_info& info);
// Any thread. The plain value of a stored parameter value.
double plainValueOf(int index, float parameterValue);
// Any thread. The stored parameter value of a plain value, held within the range; nothing for a
// value that is not finite.
std::optional<float> parameterValueOfPlain(int index, double plainValue);
// Main thread (allocates). The text of a plain value, cut to size with its terminator; false
// for an unknown id, a value that is not finite or no room.
bool plainValueText(clap_id id, double plainValue, char* display, std::uint32_t size);
// Main thread. The plain value a typed text names, as the other editions read typed text.
std::optional<double> plainValueFromText(clap_id id, const char* text);
