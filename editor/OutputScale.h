#pragma once

// The meter scale of the output meters: PK reads dBFS, K12, K14 and K20 read dB relative to
// their reference level. The "Output scale" parameter selects it; each scale has its lit strip,
// its legend and the value its button sends. Pure; any thread.
enum class OutputScale
{
    pk,
    k12,
    k14,
    k20,
};
constexpr int kOutputScaleCount = 4;

struct OutputScaleLook
{
    int litStripId;        // bitmap of the output meters' lit strip
    int legendId;          // bitmap of the dB legend
    float readoutOffsetDb; // added to the held peaks in the readout
    float parameterValue;  // what the scale's button sends as "Output scale"
};

// 0.125, 0.375 and 0.625 already belong to the higher scale.
OutputScale outputScaleFor(float parameterValue);
const OutputScaleLook& outputScaleLook(OutputScale scale);
