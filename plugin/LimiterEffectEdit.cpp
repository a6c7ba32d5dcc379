#include "plugin/LimiterEffectEdit.h"

#include "editor/ControlTags.h"
#include "plugin/VstEditor.h"

#include <new>

// The editor's controls are tagged with the parameter indices.
static_assert(tag::outputTrim == kOutputTrim && tag::outputScale == kOutputScale &&
                  tag::bypass == kBypass && tag::inputDrive == kInputDrive &&
                  tag::sideGain == kSideGain && tag::xcorrTime == kXCorrTime &&
                  tag::xcorrThreshold == kXCorrThreshold && tag::envHysteresis == kEnvHysteresis &&
                  tag::envRelease == kEnvRelease && tag::stereoLink == kStereoLink &&
                  tag::softclipThresh == kSoftclipThresh &&
                  tag::softclipAmount == kSoftclipAmount && tag::rmsAttack == kRmsAttack &&
                  tag::rmsRelease == kRmsRelease && tag::rmsThreshold == kRmsThreshold &&
                  tag::interSamplePeak == kInterSamplePeak && tag::dithering == kDithering &&
                  tag::parameterCount == kNumParams,
              "editor tags follow the parameter order");

std::atomic<bool> editorAllocationFailed{false};

LimiterEffectEdit::LimiterEffectEdit(audioMasterCallback audioMaster) : LimiterEffect(audioMaster)
{
    try
    {
        // The editor attaches itself to the editor slot, which owns it from then on.
        new VstEditor(this);
    }
    catch (const std::bad_alloc&)
    {
        // A half-built editor may have attached itself before it was unwound.
        setEditor(nullptr);
        editorAllocationFailed.store(true);
    }
}

void LimiterEffectEdit::setParameter(VstInt32 index, float value)
{
    LimiterEffect::setParameter(index, value);
    if (editor != nullptr && acceptsParameter(index, value))
    {
        editor->setParameter(index, value);
    }
}
