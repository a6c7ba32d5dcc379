#include "parameters/UserUnitText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "parameters/UserUnits.h"

namespace
{
struct UnitName
{
    const char* lv2Suffix;
    const char* shown;
    int decimals;
};

// Digits enough to tell a knob's steps apart without claiming more than the control resolves.
constexpr UnitName kUnitNames[] = {{"db", "dB", 1}, {"ms", "ms", 1}, {"pc", "%", 0}};
constexpr int kPlainDecimals = 2;

const UnitName* unitNameOf(const UserUnitInfo& unit)
{
    if (unit.unit == nullptr)
        return nullptr;
    for (const UnitName& name : kUnitNames)
        if (std::strcmp(name.lv2Suffix, unit.unit) == 0)
            return &name;
    return nullptr;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// Letters and digits only, lower case: "16 bit", "16bit" and "16-Bit" read alike.
std::string folded(std::string_view text)
{
    std::string out;
    for (const char c : text)
        if (std::isalnum(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// A finite number at the start of text, the rest left in text; the C locale's decimal point.
std::optional<double> leadingNumber(std::string_view& text)
{
    // from_chars takes no leading '+'.
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || !std::isfinite(value))
        return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

std::optional<float> toggleFromText(std::string_view text)
{
    const std::string word = folded(text);
    for (const char* on : {"on", "true", "yes", "1"})
        if (word == on)
            return 1.0f;
    for (const char* off : {"off", "false", "no", "0"})
        if (word == off)
            return 0.0f;
    return std::nullopt;
}

std::optional<float> entryFromText(int index, std::string_view text)
{
    const UserUnitInfo& unit = kUserUnits[index];
    const std::string word = folded(text);
    for (int entry = 0; entry < unit.scalePointCount; ++entry)
        if (word == folded(unit.scalePoints[entry]))
            return parameterValueOf(index, static_cast<float>(entry));
    std::string_view rest = text;
    const std::optional<double> number = leadingNumber(rest);
    if (!number || !trimmed(rest).empty() || *number != std::floor(*number) || *number < 0.0
        || *number >= unit.scalePointCount)
        return std::nullopt;
    return parameterValueOf(index, static_cast<float>(*number));
}
} // namespace

std::string userValueText(int index, float parameterValue)
{
    const UserUnitInfo& unit = kUserUnits[index];
    const double value = userValueOf(index, parameterValue);
    if (unit.kind == ValueKind::toggled)
        return value > 0.0 ? "on" : "off";
    if (unit.kind == ValueKind::enumeration)
    {
        const long entry = std::lround(value);
        if (entry >= 0 && entry < unit.scalePointCount)
            return unit.scalePoints[entry];
    }
    const UnitName* name = unitNameOf(unit);
    char text[32];
    const int decimals = name != nullptr ? name->decimals : kPlainDecimals;
    // "-0.0" reads as a fault; a value that rounds to zero shows as zero.
    const double shown = std::fabs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
    std::snprintf(text, sizeof text, "%.*f", decimals, shown);
    std::string out = text;
    if (name != nullptr)
        out += std::string(" ") + name->shown;
    return out;
}

const char* userUnitText(int index)
{
    const UnitName* name = unitNameOf(kUserUnits[index]);
    return name != nullptr ? name->shown : "";
}

std::optional<float> parameterValueFromText(int index, std::string_view text)
{
    text = trimmed(text);
    if (text.empty())
        return std::nullopt;
    const UserUnitInfo& unit = kUserUnits[index];
    if (unit.kind == ValueKind::toggled)
        return toggleFromText(text);
    if (unit.kind == ValueKind::enumeration)
        return entryFromText(index, text);
    std::string_view rest = text;
    const std::optional<double> number = leadingNumber(rest);
    if (!number)
        return std::nullopt;
    rest = trimmed(rest);
    const UnitName* name = unitNameOf(unit);
    if (!rest.empty() && (name == nullptr || folded(rest) != folded(name->shown)))
        return std::nullopt;
    return parameterValueOf(index, static_cast<float>(*number));
}
