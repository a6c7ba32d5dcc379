#include "lv2/Lv2Plugin.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "lv2/MeterPorts.h"
#include "parameters/EngineParameters.h"
#include "parameters/Presets.h"
#include "parameters/UserUnits.h"

Lv2Plugin::Lv2Plugin(double sampleRateHz)
{
    // The VST edition's construction order: program 0 first, then the rate.
    constexpr int defaultProgram = 0;
    for (int i = 0; i < kNumParams; ++i)
    {
        applyParameter(engine, i, kPresetTable[defaultProgram][i]);
        appliedPortValue[i] = std::numeric_limits<float>::quiet_NaN();
    }
    engine.setEngineSampleRate(static_cast<float>(sampleRateHz));
    // The engine's rate, held within its bounds whatever the host passed.
    softclipHoldFrames =
        static_cast<std::uint32_t>(std::ceil(kSoftclipHoldSeconds * engine.getEngineSampleRate()));
}

void Lv2Plugin::connectPort(std::uint32_t port, void* data)
{
    using namespace lv2_port;
    auto* samples = static_cast<float*>(data);
    if (isParameterPort(port))
        parameterPorts[port] = samples;
    else if (port == kAudioInLeft || port == kAudioInRight)
        audioIn[port - kAudioInLeft] = samples;
    else if (port == kAudioOutLeft || port == kAudioOutRight)
        audioOut[port - kAudioOutLeft] = samples;
    else if (port == kLatency)
        latencyPort = samples;
    else if (isMeterPort(port))
        meterPorts[port - kFirstMeter] = samples;
    else if (port == kPeakHoldReset)
        peakHoldResetPort = samples;
    else if (port == kLoudnessReset)
        loudnessResetPort = samples;
}

void Lv2Plugin::activate()
{
    engine.clearState();
    for (int channel = 0; channel < 2; ++channel)
    {
        softclipGain[channel] = 1.0f;
        softclipHeldFrames[channel] = 0;
    }
}

void Lv2Plugin::run(std::uint32_t frames)
{
    applyChangedParameters();
    applyPeakHoldReset();
    applyLoudnessReset();
    const bool audioConnected = audioIn[0] != nullptr && audioIn[1] != nullptr &&
                                audioOut[0] != nullptr && audioOut[1] != nullptr;
    if (frames > 0 && audioConnected)
        engine.processBlock(audioIn[0], audioIn[1], audioOut[0], audioOut[1],
                            static_cast<int>(frames));
    writeOutputs(frames);
}

void Lv2Plugin::applyChangedParameters()
{
    for (int i = 0; i < kNumParams; ++i)
    {
        if (parameterPorts[i] == nullptr)
            continue;
        const float portValue = *parameterPorts[i];
        // A NaN or infinite value would reach the engine's recursive state and never leave it,
        // so, as in the VST edition, it changes nothing.
        if (portValue == appliedPortValue[i] || !std::isfinite(portValue))
            continue;
        appliedPortValue[i] = portValue;
        applyParameter(engine, i, parameterValueOf(i, portValue));
    }
}

void Lv2Plugin::applyPeakHoldReset()
{
    if (peakHoldResetPort == nullptr)
        return;
    const float request = *peakHoldResetPort;
    if (request == appliedPeakHoldReset || !std::isfinite(request))
        return;
    appliedPeakHoldReset = request;
    engine.resetPeakHold();
}

void Lv2Plugin::applyLoudnessReset()
{
    if (loudnessResetPort == nullptr)
        return;
    const float request = *loudnessResetPort;
    if (request == appliedLoudnessReset || !std::isfinite(request))
        return;
    appliedLoudnessReset = request;
    engine.resetLoudness();
}

float Lv2Plugin::heldSoftclipGain(int channel, float gain, std::uint32_t frames)
{
    if (gain <= softclipGain[channel] || softclipHeldFrames[channel] >= softclipHoldFrames)
    {
        softclipGain[channel] = gain;
        softclipHeldFrames[channel] = 0;
    }
    else
        softclipHeldFrames[channel] += frames;
    return softclipGain[channel];
}

void Lv2Plugin::writeOutputs(std::uint32_t frames)
{
    using namespace lv2_port;
    if (latencyPort != nullptr)
        *latencyPort = static_cast<float>(LimiterEngine::kLatencyFrames);
    const LoudnessFigures loudness = engine.getLoudness();
    const float meters[kMeterCount] = {
        engine.getPeakLeft(),
        engine.getPeakRight(),
        engine.getRmsLeft(),
        engine.getRmsRight(),
        engine.getPeakHoldLeft(),
        engine.getPeakHoldRight(),
        engine.getLimiterGainLeft(),
        engine.getLimiterGainRight(),
        heldSoftclipGain(0, engine.getSoftclipGainLeft(), frames),
        heldSoftclipGain(1, engine.getSoftclipGainRight(), frames),
        engine.getRmsGain(),
        engine.getCorrelation(),
        engine.getCorrelationShortfall(),
        loudness.momentaryLufs,
        loudness.shortTermLufs,
        loudness.integratedLufs,
        loudness.rangeLu,
        loudness.truePeakDbtp,
    };
    // Within each port's stated range (only the loudness figures could leave theirs).
    for (std::uint32_t meter = 0; meter < kMeterCount; ++meter)
    {
        if (meterPorts[meter] != nullptr)
        {
            *meterPorts[meter] =
                std::clamp(meters[meter], kMeterPorts[meter].minimum, kMeterPorts[meter].maximum);
        }
    }
}
