// How a stored parameter value reaches the engine: the one conversion every edition uses, so the
// same settings render the same samples in each.
#pragma once

#include "parameters/Parameters.h"

class LimiterEngine;

// Converts value (normalised; the menu position for "Dithering") and calls the index's engine
// setter. The caller has checked the index (isParamIndex) and that value is finite. Any thread
// the engine's setters allow: no allocation, no lock.
void applyParameter(LimiterEngine& engine, int index, float value);

// The same conversion into anything with the engine's setters, so a model of the engine (the
// tests' double-precision reference) takes exactly the arguments the engine takes.
template <typename Engine> void applyParameterTo(Engine& engine, int index, float value)
{
    switch (index)
    {
    case kOutputTrim:
        engine.setOutputGain(normalisedToGain(value));
        break;
    case kOutputScale:
        break; // only the editor's meters use it
    case kBypass:
        engine.setBypassed(switchIsOn(value));
        break;
    case kInputDrive:
        engine.setInputGain(normalisedToDrive(value));
        break;
    case kSideGain:
        engine.setSideGain(value);
        break;
    case kXCorrTime:
        engine.setCorrelationTime(rangeValueSeconds(index, value));
        break;
    case kXCorrThreshold:
        engine.setCorrelationThreshold(rangeValue(index, value));
        break;
    case kEnvHysteresis:
        engine.setEnvelopeHysteresis(rangeValueSeconds(index, value));
        break;
    case kEnvRelease:
        engine.setEnvelopeRelease(rangeValueSeconds(index, value));
        break;
    case kStereoLink:
        engine.setStereoLink(value);
        break;
    case kSoftclipThresh:
        engine.setSoftclipThreshold(rangeValue(index, value));
        break;
    case kSoftclipAmount:
        engine.setSoftclipAmount(value);
        break;
    case kRmsAttack:
        engine.setRmsAttack(rangeValueSeconds(index, value));
        break;
    case kRmsRelease:
        engine.setRmsRelease(rangeValueSeconds(index, value));
        break;
    case kRmsThreshold:
        engine.setRmsThreshold(rangeValue(index, value));
        break;
    case kInterSamplePeak:
        engine.setInterSamplePeak(switchIsOn(value));
        break;
    case kDithering:
        engine.setDitherBits(ditherBitsFromPosition(value));
        break;
    }
}
