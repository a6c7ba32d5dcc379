#pragma once

#include "engine/NoiseSource.h"
#include "engine/RandomGenerator.h"

#include <array>
#include <vector>

// The engine's arithmetic with every stage in double precision, frame by frame: the yardstick of
// the accuracy tests. It takes the engine's settings, derives the same 32-bit coefficients the
// engine derives (so only the processing's rounding differs), and draws the same noise and dither
// from the same generator in the same order. Its meters follow the engine's in double too.

// The arguments of the engine's setters, taken through the same setters, so the parameters'
// conversion (applyParameterTo) fills them exactly as it sets the engine.
struct EngineSettings
{
    float sampleRateHz = 48000.0f;
    float outputGain = 1.0f;
    float inputGain = 1.0f;
    float sideGain = 0.5f;
    float correlationTime = 0.5f;
    float correlationThreshold = -1.0f;
    float envelopeHysteresis = 0.1f;
    float envelopeRelease = 0.08f;
    float stereoLink = 0.5f;
    float softclipThresholdDb = 0.0f;
    float softclipAmount = 0.0f;
    float rmsAttack = 0.1f;
    float rmsRelease = 0.1f;
    float rmsThresholdDb = 8.0f;
    bool bypassed = false; // the reference has no bypass path: the cases keep it off
    bool interSamplePeak = false;
    int ditherBits = 64;

    void setOutputGain(float factor) { outputGain = factor; }
    void setBypassed(bool on) { bypassed = on; }
    void setInputGain(float factor) { inputGain = factor; }
    void setSideGain(float gain) { sideGain = gain; }
    void setCorrelationTime(float seconds) { correlationTime = seconds; }
    void setCorrelationThreshold(float threshold) { correlationThreshold = threshold; }
    void setEnvelopeHysteresis(float seconds) { envelopeHysteresis = seconds; }
    void setEnvelopeRelease(float seconds) { envelopeRelease = seconds; }
    void setStereoLink(float link) { stereoLink = link; }
    void setSoftclipThreshold(float thresholdDb) { softclipThresholdDb = thresholdDb; }
    void setSoftclipAmount(float amount) { softclipAmount = amount; }
    void setRmsAttack(float seconds) { rmsAttack = seconds; }
    void setRmsRelease(float seconds) { rmsRelease = seconds; }
    void setRmsThreshold(float thresholdDb) { rmsThresholdDb = thresholdDb; }
    void setInterSamplePeak(bool on) { interSamplePeak = on; }
    void setDitherBits(int bits) { ditherBits = bits; }
};

// What the meters show after a frame, as the engine's meter reads give them.
struct ReferenceMeters
{
    double peak[2];
    double peakHold[2];
    double rms[2];
    double correlation;
};

class ReferenceEngine
{
  public:
    explicit ReferenceEngine(const EngineSettings& settings);

    // Takes new parameters between frames as the engine does; the rate must stay the same.
    void apply(const EngineSettings& settings);
    // One frame; returns left and right.
    std::array<double, 2> process(float left, float right);
    ReferenceMeters meters() const;

  private:
    struct Channel
    {
        double correlationState1 = 0.0;
        double correlationState2 = 0.0;
        double filtered = 0.0;
        double excess;
        double smooth;
        double release;
        double average;
        double errors[8] = {};
    };

    double triangular();

    EngineSettings set;
    RandomGenerator random;
    NoiseSource noise{random};
    NoiseSource dither{random};
    // Coefficients as the engine rounds them, held in double.
    double inputGain, correlationCoef, envelopeReleaseCoef, envelopeHysteresisCoef;
    double softclipInScale, softclipOutScale, rmsAttackCoef, rmsReleaseCoef, rmsThresholdPower;
    double meanSquareCoef, peakSmoothCoef, peakHoldCoef, peakNormalisation;
    double b0, b1, b2, a1, a2;
    int tapAt, tapBefore, tapAfter;
    int interpolatorTaps[8];
    double shaping[8] = {};
    double scale = 1.0;
    double step = 1.0;
    bool quantising = false;

    void meterStep(const std::array<double, 2>& out);

    double meterDecayCoef, meterRmsCoef;
    int holdDurationFrames;
    double peakMeter[2], peakHold[2], rmsMeter[2];
    // Frames left of each held peak; below zero once it ran out.
    int holdCount[2] = {0, 0};

    Channel channels[2];
    double power[3];
    double meanSquare, rmsAttackState, rmsEnvelope;
    // The 513 frames a frame sees, oldest at `oldest`.
    std::vector<std::array<double, 2>> line;
    int oldest = 0;
};
