#include "lv2/generator/TurtleDecimal.h"

#include <cstdio>
#include <cstdlib>

#include "parameters/UserUnits.h"

namespace
{
constexpr int kMaxDecimals = 9;

std::string withDecimals(double value, int decimals)
{
    // "-0.0" reads as a negative number to a person; zero is zero.
    if (value == 0.0)
        value = 0.0;
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}
} // namespace

std::optional<std::string> portDecimal(int parameterIndex, float parameterValue)
{
    const double portValue = userValueOf(parameterIndex, parameterValue);
    for (int decimals = 1; decimals <= kMaxDecimals; ++decimals)
    {
        std::string text = withDecimals(portValue, decimals);
        // Hosts hold port values as floats: the text is read as one.
        if (parameterValueOf(parameterIndex, std::strtof(text.c_str(), nullptr)) == parameterValue)
            return text;
    }
    return std::nullopt;
}

std::string decimal(double value)
{
    for (int decimals = 1; decimals <= kMaxDecimals; ++decimals)
    {
        std::string text = withDecimals(value, decimals);
        if (std::strtof(text.c_str(), nullptr) == static_cast<float>(value))
            return text;
    }
    return withDecimals(value, kMaxDecimals);
}
