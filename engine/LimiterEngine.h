#pragma once

#include "engine/AtomicStereo.h"
#include "engine/BiquadFilter.h"
#include "engine/DelayLine.h"
#include "engine/EngineConstants.h"
#include "engine/NoiseSource.h"
#include "engine/Quantiser.h"
#include "engine/RandomGenerator.h"
#include "engine/StereoVector.h"

#include <atomic>
#include <cstddef>

// The signal engine: one stereo frame in, one out, through input drive, stereo width and
// correlation limiting, soft clipper, 512-frame look-ahead delay, peak detection, RMS leveller,
// linked peak envelope, output clamp, trim and optional dither, then metering.
//
// Threads. The processing thread calls processSample and the output reads, one frame at a
// time, or processBlock. Any other thread may at the same time call the parameter setters,
// setBypassed, setDitherBits, resetPeakHold and the meter reads: every value that crosses threads
// is a relaxed atomic written and read whole, so a reader may see values of different frames.
// Requests that rebuild state (setBypassed clears the delay lines, setDitherBits resets the
// quantisers, resetPeakHold and setInterSamplePeak re-arm the held peaks) are recorded and
// carried out by the processing thread at the start of its next frame (processBlock: of its next
// frame pair, at most one frame later), so they never touch a buffer mid-frame. The set-up
// operations (construction, setEngineSampleRate, recomputeCoefficients, resetState,
// allowWideVectors) must not overlap processing: the host calls them while processing is
// suspended, or the processing thread calls them between frames.
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

    // Set-up thread. Takes rates below 5000 Hz (and NaN) as 5000 Hz and rates above 10 MHz as
    // 10 MHz; recomputes everything.
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

    // Processing thread. Processes one frame; read it with getOutputLeft/getOutputRight. Both
    // processing calls are defined in LimiterEngineFrame.h, which their callers include.
    inline void processSample(float left, float right);
    // Processing thread. Processes `frames` frames with exactly the output bits processSample
    // would give one by one, with the frame state kept in registers and, where nothing feeds
    // back, two frames per vector; Sample is float or double (rounded to float on the way in).
    // Each frame's inputs are read before its outputs are written, so the outputs may be the
    // inputs. Level meters, gains and the correlation are published at the end of the block
    // (and wherever a request is carried out), not after every frame.
    template <typename Sample>
    inline void processBlock(const Sample* inLeft, const Sample* inRight, Sample* outLeft,
                             Sample* outRight, int frames);
    // Set-up thread. With false, processBlock keeps to the SSE2 baseline code even where the
    // processor offers AVX-512 (which gives the same output bits): for tests and benchmarks.
    void allowWideVectors(bool allowed);
    // Processing thread.
    float getOutputLeft() const { return state.out[0]; }
    // Processing thread.
    float getOutputRight() const { return state.out[1]; }

    // Any thread. The held peaks are replaced by the current level two frames later.
    void resetPeakHold();

    // Parameter setters, any thread. Times are in seconds (at least 0.005; NaN counts as
    // 0.005), levels in dB. The output gain is held within 1e-6..1; gains, amounts and
    // thresholds far outside their ranges are bounded, NaN to 0 (EngineConstants.h), so no
    // signal can overflow.
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
        kRequestParameters = 1u << 0,
        kRequestBypass = 1u << 1,
        kRequestDitherBits = 1u << 2,
        kRequestPeakHoldReset = 1u << 3,
    };

    void postRequest(Request request);
    // Floors and stores a time, and the one-pole coefficient of timeScale times it at the
    // current rate.
    void setTime(std::atomic<float>& time, std::atomic<float>& coefficient, float seconds,
                 float timeScale);
    void carryOutRequests();
    void loadFrameParameters();
    void applyBypass(bool on);
    void applyDitherBits(int bits);
    // Frame state, owned by the processing thread. Pairs hold left and right in lanes 0 and 1.
    // processBlock copies it into locals, which the compiler keeps in registers, and back.
    struct FrameState
    {
        StereoVector out;
        StereoVector peakMeter;
        StereoVector rmsMeter;
        StereoVector peakHold;
        StereoMask holdCount;
        // Lanes: power of the left, of the right, cross power (twice).
        StereoVector power;
        StereoVector smooth;
        StereoVector excess;
        StereoVector release;
        StereoVector average;
        // The correlation high-pass state (the filter object holds the coefficients).
        StereoVector correlationState1;
        StereoVector correlationState2;
        float rmsAttackState;
        float rmsEnvelope;
        float meanSquare;
    };

    // What one frame leaves for the meters that are not part of the state.
    struct FrameGains
    {
        StereoVector limiter;
        float leveller;
    };

    inline void publishLevelMeters(const FrameState& s);
    inline void publishGains(const FrameGains& gains);
    template <typename Sample>
    inline int processRun(const Sample* inLeft, const Sample* inRight, Sample* outLeft,
                          Sample* outRight, int first, int frames);
    template <typename Sample>
    int processRunWide(const Sample* inLeft, const Sample* inRight, Sample* outLeft,
                       Sample* outRight, int first, int frames);
    inline FrameGains processFrame(FrameState& s, RandomGenerator& rng,
                                   StereoDelayLine::Cursor& line, StereoVector input);
    inline StereoVector processFramePair(FrameState& s, RandomGenerator& rng,
                                         StereoDelayLine::Cursor& line, StereoVector inputs,
                                         FrameGains& secondGains);
    static inline StereoVector boundInputPair(StereoVector inputs);
    float correlation() const;
    float softclipGain(std::atomic<float>& peak);

    // The frame path, in frame order (LimiterEngineFrame.h). Both channels travel together in
    // a StereoVector.
    static inline StereoVector boundInput(StereoVector input);
    inline StereoVector inputStage(RandomGenerator& rng, StereoVector input);
    inline StereoVector stereoWidthStage(FrameState& s, StereoVector work);
    inline StereoVector imageStage(StereoVector work) const;
    static inline StereoVector imageStage(StereoVector work, StereoVector signedSideGain);
    inline void updateCorrelationStatistics(FrameState& s, StereoVector work);
    template <bool twoFrames> inline StereoVector softclipStage(StereoVector work);
    template <bool twoFrames>
    inline StereoVector detectionStage(const StereoVector* window, StereoVector tap) const;
    inline float rmsLevellerStage(FrameState& s, float squareLeft, float squareRight);
    inline StereoVector envelopeStage(FrameState& s, StereoVector e);
    inline StereoVector linkedGains(StereoVector envelope) const;
    static inline StereoVector clampToFullScale(StereoVector v);
    inline StereoVector clampedOutput(StereoVector gained) const;
    inline void outputStage(FrameState& s, RandomGenerator& rng, StereoVector oldest,
                            float levellerGain, StereoVector limiterGains);
    inline void meterStage(FrameState& s);
    inline void bypassFrame(StereoVector input);

    // Parameters as set, and the coefficients setters derive from them: written by any thread.
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
    std::atomic<float> engineSampleRate{engine_constants::kDefaultSampleRateHz};
    std::atomic<float> correlationCoef{0.0f};
    std::atomic<float> envelopeReleaseCoef{0.0f};
    std::atomic<float> envelopeHysteresisCoef{0.0f};
    std::atomic<float> softclipInScale{0.0f};
    std::atomic<float> softclipOutScale{0.0f};
    std::atomic<float> rmsThresholdPower{0.0f};
    std::atomic<float> rmsAttackCoef{0.0f};
    std::atomic<float> rmsReleaseCoef{0.0f};
    std::atomic<int> lookAhead{0};
    std::atomic<unsigned> pendingRequests{0};

    // What the frame path reads: the parameters as of the start of the frame (copied by
    // loadFrameParameters), the fixed coefficients of the sample rate, and the complements
    // 1 - c of the one-pole coefficients, each computed once instead of every frame.
    struct FrameParameters
    {
        StereoVector inputGain;
        // sideGain on the left, -sideGain on the right: mid + side * difference per lane.
        StereoVector signedSideGain;
        StereoVector correlationCoef;
        // 1 - c on the two powers, 1 on the cross power, whose product takes it first.
        StereoVector powerFreshScale;
        StereoVector crossFreshScale;
        bool correlationLimiterOn;
        float oneMinusThreshold;
        float onePlusThreshold;
        bool softclipOn;
        StereoVector softclipAmount;
        StereoVector softclipDry;
        StereoVector softclipInScale;
        StereoVector softclipOutScale;
        bool interSamplePeak;
        float rmsAttackCoef;
        float rmsAttackFresh;
        float rmsReleaseCoef;
        float rmsThresholdPower;
        StereoVector envelopeReleaseCoef;
        StereoVector envelopeHysteresisCoef;
        StereoVector envelopeHysteresisFresh;
        StereoVector stereoLink;
        StereoVector outputGain;
        bool quantising;
    };
    FrameParameters frame{};

    struct RateCoefficients
    {
        StereoVector meterDecayCoef;
        StereoVector meterRmsCoef;
        StereoVector meterRmsFresh;
        StereoVector peakSmoothCoef;
        StereoVector peakSmoothFresh;
        StereoVector peakHoldCoef;
        StereoVector peakNormalisation;
        float meanSquareCoef;
        float meanSquareFresh;
        StereoMask holdDurationFrames;
        // The detection taps, clamped to the delay line once here instead of at every read.
        std::ptrdiff_t tapAtLookAhead;
        std::ptrdiff_t tapBeforeLookAhead;
        std::ptrdiff_t tapAfterLookAhead;
        std::ptrdiff_t interpolatorTaps[engine_constants::kInterpolatorTapCount];
    };
    RateCoefficients rate{};

    bool bypassActive = false;
    // Set at construction where the processor and system offer AVX-512 (see processRunWide).
    bool wideVectors = false;
    bool wideVectorsOffered = false;
    FrameState state{};

    // What the meter reads see, published by the processing thread once per frame.
    std::atomic<bool> bypassed{false};
    AtomicStereo shownPeak;
    AtomicStereo shownRms;
    AtomicStereo shownPeakHold;
    AtomicStereo shownPower;
    AtomicStereo shownCrossPower;
    AtomicStereo shownLimiterGain;
    std::atomic<float> shownRmsGain{1.0f};
    // Raised by the processing thread, read and cleared by the meter reads.
    std::atomic<float> softclipPeakLeft{engine_constants::kEpsilon};
    std::atomic<float> softclipPeakRight{engine_constants::kEpsilon};

    // One generator for the input noise and both quantisers' dither; declared before them.
    RandomGenerator random;
    NoiseSource noise{random};
    // Both channels' look-ahead delay in one line, and both correlation filters in one.
    StereoDelayLine delay;
    StereoBiquadFilter correlationFilters;
    Quantiser quantiserLeft{random};
    Quantiser quantiserRight{random};
};
