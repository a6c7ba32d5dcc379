#include "vst3plugin/Vst3State.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "parameters/UserUnits.h"

namespace vst3_state
{
namespace
{
constexpr char kTag[4] = {'V', 'H', 'P', '3'};
constexpr std::uint32_t kFormatVersion = 1;
constexpr std::size_t kTagBytes = sizeof kTag;
constexpr std::size_t kVersionBytes = 4;
constexpr std::size_t kValueBytes = 4;
constexpr std::size_t kProgramBytes = 4;
constexpr std::size_t kStateBytes =
    kTagBytes + kVersionBytes + kNumParams * kValueBytes + kProgramBytes;

void putWord(unsigned char* at, std::uint32_t word)
{
    for (int byte = 0; byte < 4; ++byte)
        at[byte] = static_cast<unsigned char>(word >> (8 * byte));
}

std::uint32_t wordAt(const unsigned char* at)
{
    std::uint32_t word = 0;
    for (int byte = 0; byte < 4; ++byte)
        word |= static_cast<std::uint32_t>(at[byte]) << (8 * byte);
    return word;
}

bool withinRange(int index, float value)
{
    return std::isfinite(value) && value >= 0.0f && value <= kUserUnits[index].topValue;
}
} // namespace

bool write(vst3::IBStream& stream, const Vst3State& state)
{
    unsigned char bytes[kStateBytes];
    std::memcpy(bytes, kTag, kTagBytes);
    putWord(bytes + kTagBytes, kFormatVersion);
    unsigned char* at = bytes + kTagBytes + kVersionBytes;
    for (const float value : state.values)
    {
        std::uint32_t word = 0;
        std::memcpy(&word, &value, sizeof word);
        putWord(at, word);
        at += kValueBytes;
    }
    putWord(at, static_cast<std::uint32_t>(state.program));
    std::int32_t written = 0;
    return stream.write(bytes, static_cast<std::int32_t>(kStateBytes), &written) ==
               vst3::kResultOk &&
           written == static_cast<std::int32_t>(kStateBytes);
}

std::optional<Vst3State> read(vst3::IBStream& stream)
{
    unsigned char bytes[kStateBytes] = {};
    std::int32_t got = 0;
    if (stream.read(bytes, static_cast<std::int32_t>(kStateBytes), &got) != vst3::kResultOk ||
        got != static_cast<std::int32_t>(kStateBytes))
        return std::nullopt;
    if (std::memcmp(bytes, kTag, kTagBytes) != 0 || wordAt(bytes + kTagBytes) != kFormatVersion)
        return std::nullopt;
    Vst3State state{};
    const unsigned char* at = bytes + kTagBytes + kVersionBytes;
    for (int i = 0; i < kNumParams; ++i)
    {
        const std::uint32_t word = wordAt(at);
        std::memcpy(&state.values[i], &word, sizeof word);
        if (!withinRange(i, state.values[i]))
            return std::nullopt;
        at += kValueBytes;
    }
    const auto program = static_cast<std::int32_t>(wordAt(at));
    if (program < 0 || program >= kNumPrograms)
        return std::nullopt;
    state.program = program;
    return state;
}
} // namespace vst3_state
