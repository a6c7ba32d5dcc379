#include "plugin/LimiterEffectEdit.h"

#include "editor/ControlTags.h"
#include "plugin/VstEditor.h"

#include <new>

// The editor's controls are tagged with the parameter indices.
static_assert(tag::kOutputTrim == kOutputTrim && tag::kOutputScale == kOutputScale &&
                  tag::kBypass == kBypass && tag::kInputDrive == kInputDrive &&
                  tag::kSideGain == kSideGain && tag::kXcorrTime == kXCorrTime &&
                  tag::kXcorrThreshold == kXCorrThreshold &&
                  tag::kEnvHysteresis == kEnvHysteresis && tag::kEnvRelease == kEnvRelease &&
                  tag::kStereoLink == kStereoLink && tag::kSoftclipThresh == kSoftclipThresh &&
                  tag::kSoftclipAmount == kSoftclipAmount && tag::kRmsAttack == kRmsAttack &&
                  tag::kRmsRelease == kRmsRelease && tag::kRmsThreshold == kRmsThreshold &&
                  tag::kInterSamplePeak == kInterSamplePeak && tag::kDithering == kDithering &&
                  tag::kParameterCount == kNumParams,
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
        editor->setParameter(index, value);
}
