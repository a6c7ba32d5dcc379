#include "lv2/Lv2Ui.h"

#include <algorithm>
#include <cmath>

#include "editor/LimiterEditor.h"
#include "engine/EngineConstants.h"
#include "parameters/Presets.h"
#include "parameters/UserUnits.h"
#include "toolkit/CFrame.h"

namespace
{
constexpr std::uint32_t kFloatProtocol = 0;
constexpr std::uint32_t kSoftclipMeters[2] = {lv2_port::kSoftclipGainLeft,
                                              lv2_port::kSoftclipGainRight};
} // namespace

Lv2Ui::Lv2Ui(LV2UI_Write_Function writeFunction, LV2UI_Controller hostController,
             const HostFeatures& hostFeatures)
    : write(writeFunction), controller(hostController), features(hostFeatures)
{
    // Until the host's first port events: the plug-in's own start, program 0, at rest.
    constexpr int defaultProgram = 0;
    std::copy(std::begin(kPresetTable[defaultProgram]), std::end(kPresetTable[defaultProgram]),
              parameterValues);
    // Levels rest at the engine's floor, as a freshly activated plug-in reports them.
    const float restLevel = engine_constants::kEpsilon;
    const float restRms = std::sqrt(restLevel);
    const MeterReadings rest;
    const float restValues[lv2_port::kMeterCount] = {restLevel,
                                                     restLevel,
                                                     restRms,
                                                     restRms,
                                                     restLevel,
                                                     restLevel,
                                                     rest.limiterGainLeft,
                                                     rest.limiterGainRight,
                                                     rest.softclipGainLeft,
                                                     rest.softclipGainRight,
                                                     rest.rmsGain,
                                                     rest.correlation,
                                                     rest.correlationShortfall,
                                                     rest.loudness.momentaryLufs,
                                                     rest.loudness.shortTermLufs,
                                                     rest.loudness.integratedLufs,
                                                     rest.loudness.rangeLu,
                                                     rest.loudness.truePeakDbtp};
    std::copy(std::begin(restValues), std::end(restValues), meterValues);
    editor = std::make_unique<LimiterEditor>(*this);
}

Lv2Ui::~Lv2Ui() = default;

bool Lv2Ui::open()
{
    editor->setHostScaleFactor(features.scaleFactor);
    editor->open(features.parentWindow);
    CFrame* frame = editor->getFrame();
    if (frame == nullptr || !frame->isWindowOpen())
        return false;
    const CRect& size = editor->getRect();
    if (features.resize != nullptr)
        features.resize->ui_resize(features.resize->handle, static_cast<int>(size.width()),
                                   static_cast<int>(size.height()));
    return true;
}

unsigned long Lv2Ui::windowId() const
{
    CFrame* frame = editor->getFrame();
    return frame != nullptr ? frame->getWindowId() : 0;
}

void Lv2Ui::portEvent(std::uint32_t port, std::uint32_t bufferSize, std::uint32_t format,
                      const void* buffer)
{
    if (format != kFloatProtocol || bufferSize != sizeof(float) || buffer == nullptr)
        return;
    const float value = *static_cast<const float*>(buffer);
    if (!std::isfinite(value))
        return;
    if (lv2_port::isParameterPort(port))
    {
        parameterValues[port] = parameterValueOf(static_cast<int>(port), value);
        editor->setParameter(static_cast<long>(port), parameterValues[port]);
    }
    else if (lv2_port::isMeterPort(port))
    {
        const std::uint32_t meter = port - lv2_port::kFirstMeter;
        meterValues[meter] = value;
        const auto lower = [value](float& lowest)
        { lowest = lowest < 0.0f ? value : std::min(lowest, value); };
        if (meter == lv2_port::kLimiterGainLeft || meter == lv2_port::kLimiterGainRight)
            lower(lowestLimiterGain);
        else if (meter == lv2_port::kRmsGain)
            lower(lowestRmsGain);
        for (int channel = 0; channel < 2; ++channel)
        {
            if (meter == kSoftclipMeters[channel])
            {
                lowestSoftclipGain[channel] = lowestSoftclipGain[channel] < 0.0f
                                                  ? value
                                                  : std::min(lowestSoftclipGain[channel], value);
            }
        }
    }
    else if (port == lv2_port::kPeakHoldReset)
        peakHoldResetValue = value;
    else if (port == lv2_port::kLoudnessReset)
        loudnessResetValue = value;
}

void Lv2Ui::idle()
{
    editor->idle();
}

float Lv2Ui::getParameter(int index) const
{
    return isParamIndex(index) ? parameterValues[index] : 0.0f;
}

void Lv2Ui::beginEdit(int index)
{
    touch(index, true);
}

void Lv2Ui::setParameterAutomated(int index, float value)
{
    if (!isParamIndex(index) || !std::isfinite(value))
        return;
    parameterValues[index] = value;
    writePort(static_cast<std::uint32_t>(index), static_cast<float>(userValueOf(index, value)));
    // The VST edition's effect answers through the editor's setParameter; so does this one.
    editor->setParameter(index, value);
}

void Lv2Ui::endEdit(int index)
{
    touch(index, false);
}

void Lv2Ui::readMeters(MeterReadings& readings)
{
    using namespace lv2_port;
    float softclipGain[2];
    for (int channel = 0; channel < 2; ++channel)
    {
        softclipGain[channel] = lowestSoftclipGain[channel] < 0.0f
                                    ? meterValues[kSoftclipMeters[channel]]
                                    : lowestSoftclipGain[channel];
        lowestSoftclipGain[channel] = -1.0f;
    }
    readings.peakLeft = meterValues[kPeakLeft];
    readings.peakRight = meterValues[kPeakRight];
    readings.rmsLeft = meterValues[kRmsLeft];
    readings.rmsRight = meterValues[kRmsRight];
    readings.peakHoldLeft = meterValues[kPeakHoldLeft];
    readings.peakHoldRight = meterValues[kPeakHoldRight];
    // The engine's own formula, so the readout shows what the VST edition's shows.
    readings.peakHoldDbLeft = 20.0f * std::log10(meterValues[kPeakHoldLeft]);
    readings.peakHoldDbRight = 20.0f * std::log10(meterValues[kPeakHoldRight]);
    readings.limiterGainLeft = meterValues[kLimiterGainLeft];
    readings.limiterGainRight = meterValues[kLimiterGainRight];
    readings.softclipGainLeft = softclipGain[0];
    readings.softclipGainRight = softclipGain[1];
    readings.rmsGain = meterValues[kRmsGain];
    readings.correlation = meterValues[kCorrelation];
    readings.correlationShortfall = meterValues[kCorrelationShortfall];
    readings.lowestLimiterGain = lowestLimiterGain < 0.0f ? std::min(meterValues[kLimiterGainLeft],
                                                                     meterValues[kLimiterGainRight])
                                                          : lowestLimiterGain;
    readings.lowestRmsGain = lowestRmsGain < 0.0f ? meterValues[kRmsGain] : lowestRmsGain;
    lowestLimiterGain = -1.0f;
    lowestRmsGain = -1.0f;
    readings.loudness.momentaryLufs = meterValues[kMomentaryLufs];
    readings.loudness.shortTermLufs = meterValues[kShortTermLufs];
    readings.loudness.integratedLufs = meterValues[kIntegratedLufs];
    readings.loudness.rangeLu = meterValues[kLoudnessRangeLu];
    readings.loudness.truePeakDbtp = meterValues[kTruePeakDbtp];
}

void Lv2Ui::resetPeakHold()
{
    // The plug-in resets at every change of the port's value, so the UI flips it.
    peakHoldResetValue = peakHoldResetValue > 0.5f ? 0.0f : 1.0f;
    writePort(lv2_port::kPeakHoldReset, peakHoldResetValue);
}

void Lv2Ui::resetLoudness()
{
    loudnessResetValue = loudnessResetValue > 0.5f ? 0.0f : 1.0f;
    writePort(lv2_port::kLoudnessReset, loudnessResetValue);
}

bool Lv2Ui::requestEditorSize(int, int)
{
    // A granted request makes the editor rebuild in a new child window, while the host keeps
    // the widget it got at instantiation and would resize, and embed, a window that is gone.
    // So a size chosen while open waits for the next opening, which the editor then says.
    return false;
}

void Lv2Ui::touch(int index, bool grabbed)
{
    if (features.touch != nullptr && isParamIndex(index))
        features.touch->touch(features.touch->handle, static_cast<std::uint32_t>(index), grabbed);
}

void Lv2Ui::writePort(std::uint32_t port, float value)
{
    write(controller, port, sizeof value, kFloatProtocol, &value);
}
