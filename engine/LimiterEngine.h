#pragma once

#include "engine/AtomicStereo.h"
#include "engine/BiquadFilter.h"
#include "engine/EngineConstants.h"
#include "engine/LoudnessFeed.h"
#include "engine/NoiseSource.h"
#include "engine/Quantiser.h"
#include "engine/RandomGenerator.h"
#include "engine/StereoVector.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

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
// carried out by the processing thread at the start of its next run of frames (processSample:
// its next frame; processBlock: at most kRunFrames - 1 frames later), so they never touch a
// buffer mid-run. The set-up
// operations (construction, setEngineSampleRate, recomputeCoefficients, resetState,
// allowWideVectors) must not overlap processing: the host calls them while processing is
// suspended, or the processing thread calls them between frames.
class LimiterEngine
{
  public:
    // Output frame n is input frame n - 512 in both paths at every sample rate.
    static constexpr int kLatencyFrames = engine_constants::kLatencyFrames;
    // processBlock works through a block in runs of at most this many frames, stage by stage.
    static constexpr int kRunFrames = engine_constants::kRunFrames;

    // Set-up thread. Builds the engine at 44.1 kHz; the only allocation of the engine.
    LimiterEngine();
    // Set-up thread.
    virtual ~LimiterEngine();
    LimiterEngine(const LimiterEngine&) = delete;
    LimiterEngine& operator=(const LimiterEngine&) = delete;

    // Set-up thread. Takes rates below 5000 Hz (and NaN) as 5000 Hz and rates above 10 MHz as
    // 10 MHz; recomputes everything and clears the delay lines.
    void setEngineSampleRate(float sampleRateHz);
    // Set-up thread. Derives every coefficient from the stored times and rate, redesigns the
    // correlation filters, re-arms the quantisers, then resets the detectors and meters.
    void recomputeCoefficients();
    // Set-up thread. Returns detectors and meters to rest; delay lines, filters, quantisers
    // and noise keep their state. The loudness measurement restarts its windows with the next
    // frame and keeps what it counts since its reset.
    void resetState();
    // Set-up thread. resetState, and clears both delay lines: what a host's stop and start
    // need, so that audio from before the stop never plays out against reset gains.
    void clearState();

    // Any thread. Selects the path and, at the next frame, resets the detectors and meters and
    // clears both delay lines, also when the flag does not change.
    void setBypassed(bool on);

    // Processing thread. Processes one frame; read it with getOutputLeft/getOutputRight.
    void processSample(float left, float right);
    // Processing thread. Processes `frames` frames, with exactly the output bits processSample
    // would give one by one, in runs of up to kRunFrames: each stage takes the whole run in
    // the widest vectors the processor has where nothing feeds back, the recursive stages go
    // frame by frame with their state in registers. Sample is float or double (rounded to float
    // on the way in). A run's inputs are all read before its outputs are written, so the outputs
    // may be the inputs. Level meters, gains and the correlation are published after every run.
    template <typename Sample>
    inline void processBlock(const Sample* inLeft, const Sample* inRight, Sample* outLeft,
                             Sample* outRight, int frames);
    // Set-up thread. With false, processing keeps to the SSE2 baseline code even where the
    // processor offers AVX-512 with fused multiply-add: for tests and benchmarks. Resets the
    // quantiser's noise-shaping state, which each code set keeps in its own layout.
    void allowWideVectors(bool allowed);
    // Any thread. Whether processing runs the AVX-512 code (whose output differs from the
    // baseline's within float rounding).
    bool usesWideVectors() const { return runFunction == runStagesWide; }
    // Set-up thread. With false, the peak envelopes are stepped frame by frame even where they
    // rest: for tests, which compare the two.
    void allowRestSkip(bool allowed) { restSkipAllowed = allowed; }
    // Processing thread. Runs whose peak envelopes rested and were held, since construction.
    long long restingRunCount() const { return restingRuns; }
    // Processing thread.
    float getOutputLeft() const { return state.out[0]; }
    // Processing thread.
    float getOutputRight() const { return state.out[1]; }

    // Any thread. The held peaks are replaced by the current level two frames later.
    void resetPeakHold();
    // Any thread. The loudness figures count from the next frame processed.
    void resetLoudness();
    // Any thread. Loudness of the output per BS.1770-4 / EBU R128 since the last reset or rate
    // change, measured off the processing thread (LoudnessFeed.h): a few milliseconds behind.
    LoudnessFigures getLoudness() const;
    // Any thread but the processing thread: returns once every frame processed so far is
    // measured, so getLoudness tells the whole output; for offline work and tests.
    void waitUntilLoudnessMeasured();
    // Set-up thread. With false the output no longer reaches the loudness measurement (whose
    // figures then stand still): for benchmarks that compare the cost.
    void measureLoudness(bool on) { loudnessMeasured = on; }

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
    // The lowest limiter gain (of both channels) and leveller gain at the end of any run since
    // the previous take; a take starts the next span at the current gain. For one reader.
    float takeLowestLimiterGain();
    float takeLowestRmsGain();

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
    void restDetectors();
    void clearLookAhead();
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

    void publishLevelMeters(const FrameState& s);
    void publishGains(const FrameGains& gains);
    // One run of 1..kRunFrames frames, no request waiting; the code set of the processor.
    void processRun(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                    int frames);
    float correlation() const;
    float softclipGain(std::atomic<float>& peak);

    // The run in stages (LimiterEngineRun.h), compiled once for the SSE2 baseline and once for
    // AVX-512 with fused multiply-add; Isa names the code set, so each has its own functions.
    template <typename Isa>
    void runStages(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                   int frames);
    template <typename Isa>
    void bypassRun(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                   int frames);
    template <typename Isa> inline void takeDraws(int frames);
    template <typename Isa>
    inline void inputStage(const float* inLeft, const float* inRight, float* work,
                           bool bothRingCopies, int frames);
    template <typename Isa> inline void widthStage(int frames);
    template <typename Isa> inline void softclipStage(int frames);
    template <typename Isa> inline void ringStage(int frames);
    template <typename Isa> inline float detectionStage(int frames);
    template <typename Isa> inline void envelopeStage(float loudest, int frames);
    template <typename Isa> inline void gainStage(float* outLeft, float* outRight, int frames);
    template <typename Isa> inline void prefetchLoudnessRing(int frames);
    template <typename Isa, bool quantising> inline void meterStage(const float* work, int frames);
    template <typename Isa> inline void outputStage(float* outLeft, float* outRight, int frames);
    static void runStagesBaseline(LimiterEngine& engine, const float* inLeft, const float* inRight,
                                  float* outLeft, float* outRight, int frames);
    static void runStagesWide(LimiterEngine& engine, const float* inLeft, const float* inRight,
                              float* outLeft, float* outRight, int frames);
    using RunFunction = void (*)(LimiterEngine&, const float*, const float*, float*, float*, int);

    // One frame's steps, used by the stages (LimiterEngineRun.h). Both channels travel together
    // in a StereoVector; a copy for each code set, like the stages.
    template <typename Isa> static inline StereoVector boundInput(StereoVector input);
    template <typename Isa> inline StereoVector stereoWidthStep(FrameState& s, StereoVector work);
    template <typename Isa>
    static inline StereoVector image(StereoVector work, StereoVector signedSideGain);
    template <typename Isa, bool meterOnly>
    inline void updateCorrelationStatistics(FrameState& s, StereoVector work);
    template <typename Isa> inline float rmsLevellerStep(FrameState& s, float tapPowerFresh);
    template <typename Isa> inline StereoVector envelopeStep(FrameState& s, StereoVector excess);
    template <typename Isa> static inline StereoVector clampToFullScale(StereoVector v);
    template <typename Isa> inline void meterStep(FrameState& s, StereoVector output);
    template <typename Isa> inline void writeRing(int frame, StereoVector pair);
    template <typename Isa> inline StereoVector ringPair(int frame, int tap) const;
    template <typename Isa> inline const float* oldestOf(int frame) const;
    template <typename Isa>
    static inline bool sameEnvelopes(const FrameState& a, const FrameState& b);

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
        StereoVector correlationFresh;
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
        // (1 - c) of the peak smoother times the normalisation, one factor.
        StereoVector peakSmoothFreshNormalised;
        StereoVector peakHoldCoef;
        float meanSquareCoef;
        float meanSquareFresh;
        StereoMask holdDurationFrames;
        // The detection taps in frames from the oldest of the 513 frames a frame sees, clamped
        // to them once here instead of at every read.
        int tapAtLookAhead;
        int tapBeforeLookAhead;
        int tapAfterLookAhead;
        int interpolatorTaps[engine_constants::kInterpolatorTapCount];
    };
    RateCoefficients rate{};

    bool bypassActive = false;
    // Set at construction to the AVX-512 code where the processor and system offer it.
    RunFunction runFunction = runStagesBaseline;
    bool wideVectorsOffered = false;
    bool restSkipAllowed = true;
    long long restingRuns = 0;
    // Whether the peak envelopes' state is a fixed point of their step for the current
    // parameters and code set, and the envelope that step gives there.
    bool envelopesResting = false;
    StereoVector restingEnvelope{};
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
    std::atomic<float> lowestLimiterGain{1.0f};
    std::atomic<float> lowestRmsGain{1.0f};
    // Raised by the processing thread, read and cleared by the meter reads.
    std::atomic<float> softclipPeakLeft{engine_constants::kEpsilon};
    std::atomic<float> softclipPeakRight{engine_constants::kEpsilon};

    // One generator for the input noise and both quantisers' dither, drawn in that order per
    // frame; declared before them.
    RandomGenerator random;
    NoiseSource noise{random};
    NoiseSource dither{random};
    StereoBiquadFilter correlationFilters;
    Quantiser quantiser;

    // The look-ahead line: left/right pairs of the last kRingFrames frames, each frame stored
    // twice, kRingFrames apart, so the 513 frames one output frame sees (and a vector's worth
    // beyond) never wrap. ringNext is where the next frame goes. Allocated once at construction.
    static constexpr int kRingFrames = engine_constants::kRingFrames;
    std::unique_ptr<float[]> ring;
    int ringNext = 0;

    // The generator's draws for a run, in its order: each frame takes one (the input noise), or
    // three with dither (noise, left, right). They are drawn a whole generator step at a time at
    // the run's start; the fewer than a step's worth a run leaves over move to the start of the
    // buffer for the next run.
    static constexpr int kDrawBufferDraws = 3 * kRunFrames + 2 * RandomGenerator::kDrawsPerStep;
    alignas(64) std::uint32_t draws[2 * kDrawBufferDraws] = {};
    int drawsLeftOver = 0;
    template <typename Isa> inline void drawForRun(int taken);
    template <typename Isa> inline void keepLeftOverDraws(int taken);

    // Scratch of one run, in left/right pairs per frame unless named otherwise; whole vectors of
    // eight frames, so a run's last vector may carry values past its end that nobody reads.
    struct alignas(64) RunBuffers
    {
        // The input noise draws, when the run's draws hold them among the dither draws.
        std::uint32_t noiseDraws[2 * kRunFrames];
        // Each channel's triangular dither in steps; from the gain stage on, the output plus it.
        float dither[2 * kRunFrames];
        // The signal from the input stage to the ring.
        float work[2 * kRunFrames];
        // Detection values, and the mean of the tap's two squares times the leveller's
        // mean-square (1 - c) (both lanes alike).
        float detected[2 * kRunFrames];
        float tapPowerFresh[2 * kRunFrames];
        // The peak envelopes; the leveller's gain, one per frame.
        float envelope[2 * kRunFrames];
        float leveller[kRunFrames];
        float limiterGains[2 * kRunFrames];
        // The output; with the quantiser, in its steps until quantised.
        float output[2 * kRunFrames];
        // processBlock's float copies of double input and output.
        float left[kRunFrames];
        float right[kRunFrames];
        float leftOut[kRunFrames];
        float rightOut[kRunFrames];
    };
    RunBuffers run{};

    // Every output frame goes to the loudness measurement; last, so its thread stops first.
    bool loudnessMeasured = true;
    LoudnessFeed loudness;
};

template <typename Sample>
inline void LimiterEngine::processBlock(const Sample* inLeft, const Sample* inRight,
                                        Sample* outLeft, Sample* outRight, int frames)
{
    for (int first = 0; first < frames; first += kRunFrames)
    {
        const int count = frames - first < kRunFrames ? frames - first : kRunFrames;
        if constexpr (std::is_same_v<Sample, float>)
        {
            processRun(inLeft + first, inRight + first, outLeft + first, outRight + first, count);
        }
        else
        {
            for (int i = 0; i < count; ++i)
            {
                run.left[i] = static_cast<float>(inLeft[first + i]);
                run.right[i] = static_cast<float>(inRight[first + i]);
            }
            processRun(run.left, run.right, run.leftOut, run.rightOut, count);
            for (int i = 0; i < count; ++i)
            {
                outLeft[first + i] = run.leftOut[i];
                outRight[first + i] = run.rightOut[i];
            }
        }
    }
}
