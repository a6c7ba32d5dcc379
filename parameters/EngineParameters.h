// How a stored parameter value reaches the engine: the one conversion every edition uses, so the
// same settings render the same samples in each.
#pragma once

class LimiterEngine;

// Converts value (normalised; the menu position for "Dithering") and calls the index's engine
// setter. The caller has checked the index (isParamIndex) and that value is finite. Any thread
// the engine's setters allow: no allocation, no lock.
void applyParameter(LimiterEngine& engine, int index, float value);
