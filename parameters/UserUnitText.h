// Parameter values as texts in the units a user reads ("-3.0 dB", "12.5 ms", "50 %", "K14",
// "16 bit", "on"), and back: the display and text entry of every edition that shows user units,
// and the renderer's settings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The text of a stored parameter value. Any thread but the audio thread: it allocates.
std::string userValueText(int index, float parameterValue);

// The unit userValueText writes after the number ("dB", "ms", "%"), or "" for none. Any thread.
const char* userUnitText(int index);

// The stored parameter value a text names: a number with or without its unit ("-3", "-3 dB"),
// a menu entry by name in any case and spacing ("16bit", "k14") or by its number, a toggle as
// on/off, true/false, yes/no or 1/0. Values beyond the range are held within it; a text that names
// no value (empty, not a number, not finite, an unknown entry or unit) gives nothing.
std::optional<float> parameterValueFromText(int index, std::string_view text);
