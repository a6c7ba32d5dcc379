#pragma once

// The meters' law from a linear level or gain (x >= 0) to a bar position: the top six sevenths
// cover -36..0 dB at 1/42 per dB, the bottom seventh -72..-36 dB at 1/252 per dB, and levels from
// 0.99 up read full. Below -72 dB the result is the level in dB itself, far below 0, which a bar
// draws as empty. The inverse of the faders' two-segment gain law but for the full-scale step.
// Pure; any thread.
float gainToPosition(float gain);
