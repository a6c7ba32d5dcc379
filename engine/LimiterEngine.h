#pragma once

#include "engine/BiquadFilter.h"
#include "engine/DelayLine.h"
#include "engine/EngineConstants.h"
#include "engine/NoiseSource.h"
#include "engine/Quantiser.h"
#include "engine/RandomGenerator.h"

#include <atomic>

// The signal engine: one stereo frame in, one out, through input drive, stereo width and
// correlation limiting, soft clipper, 512-frame look-ahead delay, peak detection, RMS leveller,
// linked peak envelope, output clamp, trim and optional dither, then metering.
//
// Threads. The processing thread calls processSample and the output reads, one frame at a
// time. Any other thread may at the same time call the parameter setters, setBypassed,
// setDitherBits, resetPeakHold and the meter reads: every value that crosses threads is a
// relaxed atomic written and read whole, so a reader may see values of different frames.
// Requests that rebuild state (setBypassed clears the delay lines, setDitherBits resets the
// quantisers, resetPeakHold and setInterSamplePeak re-arm the held peaks) are recorded and
// carried out by the processing thread at the start of its next frame, so they never touch a
// buffer mid-frame. The set-up operations (construction, setEngineSampleRate,
// recomputeCoefficients, resetState) must not overlap processSample: the host calls them while
// processing is suspended, or the processing thread calls them between frames.
class LimiterEngine
{
  public:
    // Output frame n is input frame n - 512 in both paths at every sample rate.
    static constexpr int kLatencyFrames = engine_constants::kLatencyFrames;

    // Set-up thread. Builds the engine at 44.1 kHz; the only allocation of the engine.
    LimiterEngine();
    // Set-up thread.
    virtual ~LimiterEngine();
    LimiterEngine(const LimiterEngine&) = delete;
    LimiterEngine& operator=(const LimiterEngine&) = delete;

    // Set-up thread. Takes rates below 5000 Hz as 5000 Hz; recomputes everything.
    void setEngineSampleRate(float sampleRateHz);
    // Set-up thread. Derives every coefficient from the stored times and rate, redesigns the
    // correlation filters, re-arms the quantisers, then resets the detectors and meters.
    void recomputeCoefficients();
    // Set-up thread. Returns detectors and meters to rest; delay lines, filters, quantisers
    // and noise keep their state.
    void resetState();

    // Any thread. Selects the path and, at the next frame, resets the detectors and meters and
    // clears both delay lines, also when the flag does not change.
    void setBypassed(bool on);

    // Processing thread. Processes one frame; read it with getOutputLeft/getOutputRight.
    inline void processSample(float left, float right);
    // Processing thread.
    float getOutputLeft() const { return outLeft; }
    // Processing thread.
    float getOutputRight() const { return outRight; }

    // Any thread. The held peaks are replaced by the current level two frames later.
    void resetPeakHold();

    // Parameter setters, any thread. Times are in seconds (at least 0.005), levels in dB.
    void setOutputGain(float factor);
    void setInputGain(float factor);
    void setSideGain(float gain);
    void setCorrelationTime(float seconds);
    void setCorrelationThreshold(float threshold);
    void setEnvelopeHysteresis(float seconds);
    void setEnvelopeRelease(float seconds);
    void setStereoLink(float link);
    void setSoftclipThreshold(float thresholdDb);
    void setSoftclipAmount(float amount);
    void setRmsAttack(float seconds);
    void setRmsRelease(float seconds);
    void setRmsThreshold(float thresholdDb);
    void setInterSamplePeak(bool on);
    // Word length 8..24 quantises the output; 32 or more leaves it unquantised. Takes effect
    // at the next frame.
    void setDitherBits(int bits);

    // Meter reads, any thread. Linear levels and gains unless named Db.
    float getPeakLeft() const;
    float getPeakRight() const;
    float getRmsLeft() const;
    float getRmsRight() const;
    float getPeakHoldLeft() const;
    float getPeakHoldRight() const;
    float getPeakHoldDbLeft() const;
    float getPeakHoldDbRight() const;
    float getCorrelation() const;
    float getCorrelationShortfall() const;
    float getLimiterGainLeft() const;
    float getLimiterGainRight() const;
    // Gain of the soft clipper at the largest input since the previous read; clears that peak.
    float getSoftclipGainLeft();
    float getSoftclipGainRight();
    float getRmsGain() const;

    // Any thread.
    float getEngineSampleRate() const;
    // Any thread. Frames between the detection tap and the output.
    int getLookAhead() const;

  private:
    // Bits of pendingRequests, carried out at the start of the next frame.
    enum Request : unsigned
    {
        kRequestBypass = 1u << 0,
        kRequestDitherBits = 1u << 1,
        kRequestPeakHoldReset = 1u << 2,
    };

    void postRequest(Request request);
    void carryOutRequests();
    void applyBypass(bool on);
    void applyDitherBits(int bits);
    float correlation() const;
    float softclipGain(std::atomic<float>& peak);

    // The frame path, in frame order (LimiterEngineFrame.h).
    static inline float boundInput(float sample);
    inline void inputStage(float left, float right);
    inline void stereoWidthStage();
    inline void updateCorrelationStatistics();
    inline void softclipStage();
    inline float detect(const DelayLine& line, bool interSamplePeakOn) const;
    inline void detectionStage();
    inline void rmsLevellerStage();
    inline float envelope(float detected, float& excess, float& smooth, float& release,
                          float& average) const;
    inline void envelopeStage();
    static inline float clampToFullScale(float sample);
    inline void outputStage();
    inline void meterChannel(float out, std::atomic<float>& peakMeter, std::atomic<float>& peakHold,
                             int& holdCount, std::atomic<float>& rmsMeter) const;
    inline void meterStage();
    inline void bypassFrame(float left, float right);

    // Parameters and the coefficients setters derive from them: written by any thread.
    std::atomic<float> outputGain{1.0f};
    std::atomic<float> inputGain{1.0f};
    std::atomic<float> sideGain{1.0f};
    std::atomic<float> correlationTime{0.1f};
    std::atomic<float> correlationThreshold{-1.0f};
    std::atomic<float> envelopeRelease{0.05f};
    std::atomic<float> envelopeHysteresis{0.3f};
    std::atomic<float> stereoLink{0.5f};
    std::atomic<float> softclipThresholdDb{20.0f};
    std::atomic<float> softclipAmount{0.0f};
    std::atomic<float> rmsAttack{0.2f};
    std::atomic<float> rmsRelease{0.2f};
    std::atomic<float> rmsThresholdDb{-12.0f};
    std::atomic<bool> interSamplePeak{false};
    std::atomic<int> ditherBits{engine_constants::kDefaultDitherBits};
    std::atomic<bool> requestedBypass{false};
    std::atomic<unsigned> pendingRequests{0};

    std::atomic<float> engineSampleRate{engine_constants::kDefaultSampleRateHz};
    std::atomic<float> correlationCoef{0.0f};
    std::atomic<float> envelopeReleaseCoef{0.0f};
    std::atomic<float> envelopeHysteresisCoef{0.0f};
    std::atomic<float> softclipInScale{0.0f};
    std::atomic<float> softclipOutScale{0.0f};
    std::atomic<float> rmsThresholdPower{0.0f};
    std::atomic<float> rmsAttackCoef{0.0f};
    std::atomic<float> rmsReleaseCoef{0.0f};

    // Fixed by the sample rate; written only at set-up.
    float meterDecayCoef = 0.0f;
    float meterRmsCoef = 0.0f;
    float peakSmoothCoef = 0.0f;
    float peakHoldCoef = 0.0f;
    float peakNormalisation = 0.0f;
    float meanSquareCoef = 0.0f;
    std::atomic<int> lookAhead{0};
    // The detection taps, clamped to the delay line once here instead of at every read.
    int tapAtLookAhead = 0;
    int tapBeforeLookAhead = 0;
    int tapAfterLookAhead = 0;
    int interpolatorTaps[engine_constants::kInterpolatorTapCount] = {};
    int holdDurationFrames = 0;

    // Frame state, owned by the processing thread; the atomics among it are what the meters
    // read.
    std::atomic<bool> bypassed{false};
    int activeDitherBits = engine_constants::kDefaultDitherBits;
    float outLeft = engine_constants::kEpsilon;
    float outRight = engine_constants::kEpsilon;
    float workLeft = engine_constants::kEpsilon;
    float workRight = engine_constants::kEpsilon;
    std::atomic<float> peakMeterLeft{engine_constants::kEpsilon};
    std::atomic<float> peakMeterRight{engine_constants::kEpsilon};
    std::atomic<float> rmsMeterLeft{engine_constants::kEpsilon};
    std::atomic<float> rmsMeterRight{engine_constants::kEpsilon};
    std::atomic<float> peakHoldLeft{engine_constants::kEpsilon};
    std::atomic<float> peakHoldRight{engine_constants::kEpsilon};
    int holdCountLeft = 0;
    int holdCountRight = 0;
    std::atomic<float> powerLeft{engine_constants::kEpsilon};
    std::atomic<float> powerRight{engine_constants::kEpsilon};
    std::atomic<float> crossPower{engine_constants::kEpsilon};
    float smoothLeft = engine_constants::kEpsilon;
    float smoothRight = engine_constants::kEpsilon;
    float excessLeft = engine_constants::kEpsilon;
    float excessRight = engine_constants::kEpsilon;
    float releaseLeft = engine_constants::kEpsilon;
    float releaseRight = engine_constants::kEpsilon;
    float averageLeft = engine_constants::kEpsilon;
    float averageRight = engine_constants::kEpsilon;
    std::atomic<float> limiterGainLeft{1.0f};
    std::atomic<float> limiterGainRight{1.0f};
    std::atomic<float> softclipPeakLeft{engine_constants::kEpsilon};
    std::atomic<float> softclipPeakRight{engine_constants::kEpsilon};
    float rmsAttackState = engine_constants::kEpsilon;
    float rmsEnvelope = engine_constants::kEpsilon;
    std::atomic<float> rmsGain{1.0f};
    float meanSquare = engine_constants::kEpsilon;

    // One generator for the input noise and both quantisers' dither; declared before them.
    RandomGenerator random;
    NoiseSource noise{random};
    DelayLine delayLeft;
    DelayLine delayRight;
    BiquadFilter correlationFilterLeft;
    BiquadFilter correlationFilterRight;
    Quantiser quantiserLeft{random};
    Quantiser quantiserRight{random};
};

#include "engine/LimiterEngineFrame.h"
