#include "parameters/EngineParameters.h"

#include "engine/LimiterEngine.h"
#include "parameters/Parameters.h"

void applyParameter(LimiterEngine& engine, int index, float value)
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
