// The CLAP edition's saved state: the program last chosen and every stored parameter value, as
// text a person can read ("program 3", "input_drive 0.660000026"), exact to the float bit.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "parameters/Parameters.h"

struct ClapState
{
    int program = 0;
    float values[kNumParams] = {};
};

// A saved state never runs longer than this; a longer stream is not ours.
constexpr std::size_t kMaxStateBytes = 4096;

// Main thread (allocates).
std::string writeState(const ClapState& state);
// Main thread. Nothing unless the text is a whole state of ours: the header, a program 0..17 and
// each parameter once with a finite value (held within its range). Unknown lines are skipped, so
// a later version may add some.
std::optional<ClapState> readState(std::string_view text);
