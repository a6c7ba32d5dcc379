#pragma once

// Set-up formulas of the engine, evaluated in double precision from the stored 32-bit values.

// One-pole coefficient exp(-1 / (T * fs)), rounded to a 32-bit float.
float onePoleCoefficient(float timeSeconds, float sampleRateHz);

// Reciprocal of the highest value that a held excess decaying with holdTime reaches after a
// one-pole smoother with smoothTime, for a unit jump.
float peakNormalisationFor(float smoothTimeSeconds, float holdTimeSeconds);

// Frames from the jump to that highest value, rounded up.
int lookAheadFramesFor(float smoothTimeSeconds, float holdTimeSeconds, float sampleRateHz);

// 10^(factor * db), rounded to a 32-bit float; factor 0.05 gives amplitude, 0.1 power.
float decibelsToFactor(float factor, float db);
