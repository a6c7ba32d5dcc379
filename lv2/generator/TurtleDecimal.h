#pragma once

#include <optional>
#include <string>

// A control port's value as a Turtle decimal: the fewest digits after the point (at least
// one, never an exponent, since LV2 tools skip integers) whose float, converted back, is the
// intended parameter value. Empty when no text of up to nine decimals gives it.
std::optional<std::string> portDecimal(int parameterIndex, float parameterValue);

// A plain figure as a Turtle decimal with one decimal or more, as written by "%.*f".
std::string decimal(double value);
