#pragma once

#include <cstdint>

#include "engine/LimiterEngine.h"
#include "lv2/Lv2Ports.h"

// One LV2 instance: the engine, the host's port buffers, and the last port value applied per
// parameter. The host's instantiation thread constructs and destroys it; the audio thread runs
// it. Nothing here allocates after construction, takes a lock or calls the system.
class Lv2Plugin
{
  public:
    // Instantiation thread. Configures the engine from program 0 at the host's rate.
    explicit Lv2Plugin(double sampleRateHz);

    // Instantiation or audio thread (connect_port may come at any time, also after activate).
    // Unknown ports are ignored.
    void connectPort(std::uint32_t port, void* data);
    // Instantiation thread, before run: the VST edition's resume, detectors and meters to rest.
    void activate();
    // Audio thread. Applies the parameter ports whose values changed, processes frames (any
    // number, 0 included; the outputs may be the inputs) and writes latency and meters.
    void run(std::uint32_t frames);

  private:
    void applyChangedParameters();
    void applyPeakHoldReset();
    void applyLoudnessReset();
    void writeOutputs(std::uint32_t frames);
    float heldSoftclipGain(int channel, float gain, std::uint32_t frames);

    LimiterEngine engine;
    const float* parameterPorts[kNumParams] = {};
    const float* audioIn[2] = {};
    float* audioOut[2] = {};
    float* latencyPort = nullptr;
    float* meterPorts[lv2_port::kMeterCount] = {};
    const float* peakHoldResetPort = nullptr;
    const float* loudnessResetPort = nullptr;
    // What each port held when it was last applied: a port is applied again only when its
    // value differs. NaN at first, so the first run applies every connected port.
    float appliedPortValue[kNumParams];
    float appliedPeakHoldReset = 0.0f;
    float appliedLoudnessReset = 0.0f;
    // The soft-clip gains are peaks since the last read, and hosts sample output ports only
    // at their UI rate: each peak is held this long, so every sample of 20 Hz or more sees it.
    static constexpr double kSoftclipHoldSeconds = 0.05;
    std::uint32_t softclipHoldFrames = 0;
    float softclipGain[2] = {1.0f, 1.0f};
    std::uint32_t softclipHeldFrames[2] = {};
};
