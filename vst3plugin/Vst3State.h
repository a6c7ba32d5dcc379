// The component's saved state: every stored parameter value and the program, in 80 bytes
// ("VHP3", a format version, 17 little-endian floats, the program as a 32-bit integer).
#pragma once

#include <optional>

#include "parameters/Parameters.h"
#include "vst3/Vst3Base.h"

struct Vst3State
{
    float values[kNumParams];
    int program;
};

namespace vst3_state
{
// Writes state to stream; false when the stream takes less than all of it. Host GUI thread.
bool write(vst3::IBStream& stream, const Vst3State& state);
// The state the stream holds from its position on, or nothing when it is none of ours: a wrong
// tag or version, too short, a value not finite or beyond its parameter's range, a program out
// of range. What follows the state is the host's (hosts pass their whole project chunk). Host
// GUI thread.
std::optional<Vst3State> read(vst3::IBStream& stream);
} // namespace vst3_state
