#include "clapplugin/ClapStateFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "parameters/UserUnits.h"

namespace
{
constexpr std::string_view kHeader = "varnholt-pro clap-state 1";
constexpr std::string_view kProgramKey = "program";

std::optional<double> numberOf(std::string_view text)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

int parameterOfSymbol(std::string_view symbol)
{
    for (int i = 0; i < kNumParams; ++i)
        if (symbol == kUserUnits[i].symbol)
            return i;
    return -1;
}
} // namespace

std::string writeState(const ClapState& state)
{
    std::string text(kHeader);
    text += '\n';
    char line[96];
    std::snprintf(line, sizeof line, "%s %d\n", kProgramKey.data(), state.program);
    text += line;
    for (int i = 0; i < kNumParams; ++i)
    {
        // Nine significant digits give back every float exactly.
        std::snprintf(line, sizeof line, "%s %.9g\n", kUserUnits[i].symbol,
                      static_cast<double>(state.values[i]));
        text += line;
    }
    return text;
}

std::optional<ClapState> readState(std::string_view text)
{
    if (text.size() > kMaxStateBytes)
        return std::nullopt;
    ClapState state;
    bool seen[kNumParams] = {};
    bool programSeen = false;
    bool headerSeen = false;
    while (!text.empty())
    {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!headerSeen)
        {
            if (line != kHeader)
                return std::nullopt;
            headerSeen = true;
            continue;
        }
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, space);
        const std::optional<double> number = numberOf(line.substr(space + 1));
        if (key == kProgramKey)
        {
            if (!number || *number != std::floor(*number) || *number < 0 || *number >= kNumPrograms)
                return std::nullopt;
            state.program = static_cast<int>(*number);
            programSeen = true;
            continue;
        }
        const int index = parameterOfSymbol(key);
        if (index < 0)
            continue;
        if (!number || seen[index])
            return std::nullopt;
        const double top = kUserUnits[index].topValue;
        state.values[index] = static_cast<float>(std::clamp(*number, 0.0, top));
        seen[index] = true;
    }
    if (!headerSeen || !programSeen ||
        std::count(std::begin(seen), std::end(seen), true) != kNumParams)
        return std::nullopt;
    return state;
}
