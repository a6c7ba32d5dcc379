#include "engine/LimiterEngine.h"

#include "engine/Coefficients.h"

#include <algorithm>
#include <cmath>

namespace ec = engine_constants;

namespace
{
constexpr auto kRelaxed = std::memory_order_relaxed;
constexpr float kAmplitudeDbFactor = 0.05f;
constexpr float kPowerDbFactor = 0.1f;

// Floors a time at 0.005 s; a NaN also becomes the floor.
float flooredTime(float seconds)
{
    return seconds >= ec::kMinTimeSeconds ? seconds : ec::kMinTimeSeconds;
}

// Clamps a signal multiplier into -limit..limit; a NaN becomes 0.
float boundedFactor(float factor, float limit)
{
    return factor >= -limit ? std::min(factor, limit) : (factor < -limit ? -limit : 0.0f);
}

// Delay line reads clamp their index to 0..511; the engine clamps its taps once, at set-up.
int clampedTap(int frames)
{
    return std::clamp(frames, 0, ec::kDelayCapacityFrames - 1);
}
} // namespace

LimiterEngine::LimiterEngine()
{
    __builtin_cpu_init();
    wideVectorsOffered = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                         __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw") &&
                         __builtin_cpu_supports("fma");
    allowWideVectors(true);
    dither.setLevel(ec::kDitherLevelDb);
    ring = std::make_unique<float[]>(4 * static_cast<std::size_t>(kRingFrames));
    recomputeCoefficients();
}

LimiterEngine::~LimiterEngine() = default;

void LimiterEngine::allowWideVectors(bool allowed)
{
    runFunction = allowed && wideVectorsOffered ? runStagesWide : runStagesBaseline;
    // The other code set's arithmetic may rest elsewhere.
    envelopesResting = false;
    // Each code set keeps the quantiser's shaping state in its own layout.
    quantiser.resetShaping();
}

void LimiterEngine::processSample(float left, float right)
{
    float outLeft;
    float outRight;
    processRun(&left, &right, &outLeft, &outRight, 1);
}

void LimiterEngine::processRun(const float* inLeft, const float* inRight, float* outLeft,
                               float* outRight, int frames)
{
    if (pendingRequests.load(std::memory_order_relaxed) != 0)
        carryOutRequests();
    runFunction(*this, inLeft, inRight, outLeft, outRight, frames);
    if (loudnessMeasured)
        loudness.write(outLeft, outRight, frames);
}

void LimiterEngine::setEngineSampleRate(float sampleRateHz)
{
    // Beyond the upper bound the 800 Hz high-pass would lose its poles to float rounding and
    // grow without limit.
    engineSampleRate.store(sampleRateHz >= ec::kMinSampleRateHz
                               ? std::min(sampleRateHz, ec::kMaxSampleRateHz)
                               : ec::kMinSampleRateHz,
                           kRelaxed);
    recomputeCoefficients();
    // Audio taken at the old rate has no place in the look-ahead at the new one.
    clearState();
    loudness.setSampleRate(engineSampleRate.load(kRelaxed));
}

void LimiterEngine::recomputeCoefficients()
{
    using stereo::splat;
    const float fs = engineSampleRate.load(kRelaxed);
    const float meterDecayCoef = onePoleCoefficient(ec::kMeterDecayTimeSeconds, fs);
    const float meterRmsCoef = onePoleCoefficient(ec::kMeterRmsTimeSeconds, fs);
    rate.meterDecayCoef = splat(meterDecayCoef);
    rate.meterRmsCoef = splat(meterRmsCoef);
    rate.meterRmsFresh = splat(1.0f - meterRmsCoef);
    const float peakSmoothCoef = onePoleCoefficient(ec::kPeakSmoothTimeSeconds, fs);
    rate.peakSmoothCoef = splat(peakSmoothCoef);
    rate.peakSmoothFreshNormalised =
        splat((1.0f - peakSmoothCoef) *
              peakNormalisationFor(ec::kPeakSmoothTimeSeconds, ec::kPeakHoldTimeSeconds));
    rate.peakHoldCoef = splat(onePoleCoefficient(ec::kPeakHoldTimeSeconds, fs));

    const int frames = lookAheadFramesFor(ec::kPeakSmoothTimeSeconds, ec::kPeakHoldTimeSeconds, fs);
    lookAhead.store(frames, kRelaxed);
    rate.tapAtLookAhead = clampedTap(frames);
    rate.tapBeforeLookAhead = clampedTap(frames - 1);
    rate.tapAfterLookAhead = clampedTap(frames + 1);
    for (int tap = 0; tap < ec::kInterpolatorTapCount; ++tap)
        rate.interpolatorTaps[tap] = clampedTap(frames + ec::kInterpolatorOldestOffsetFrames + tap);
    rate.holdDurationFrames = stereo::splatInt(static_cast<int>(ec::kPeakHoldDurationSeconds * fs));

    correlationFilters.design(fs, ec::kCorrelationFilterKind, ec::kCorrelationFilterFrequencyHz,
                              ec::kCorrelationFilterQ, ec::kCorrelationFilterGainDb);
    // The setters derive the coefficients of the stored times and levels at the new rate.
    setCorrelationTime(correlationTime.load(kRelaxed));
    setEnvelopeRelease(envelopeRelease.load(kRelaxed));
    setEnvelopeHysteresis(envelopeHysteresis.load(kRelaxed));
    setSoftclipThreshold(softclipThresholdDb.load(kRelaxed));
    setRmsAttack(rmsAttack.load(kRelaxed));
    setRmsRelease(rmsRelease.load(kRelaxed));
    setRmsThreshold(rmsThresholdDb.load(kRelaxed));
    const float meanSquareCoef = onePoleCoefficient(ec::kMeanSquareTimeSeconds, fs);
    rate.meanSquareCoef = meanSquareCoef;
    rate.meanSquareFresh = 1.0f - meanSquareCoef;
    quantiser.setSampleRate(fs);
    applyDitherBits(ditherBits.load(kRelaxed));
    loadFrameParameters();
    resetState();
}

void LimiterEngine::resetState()
{
    restDetectors();
    loudness.restart();
}

void LimiterEngine::restDetectors()
{
    const StereoVector rest = stereo::splat(ec::kEpsilon);
    state.out = rest;
    state.peakMeter = rest;
    state.rmsMeter = rest;
    state.peakHold = rest;
    state.holdCount = stereo::splatInt(0);
    state.power = rest;
    state.smooth = rest;
    state.excess = rest;
    state.release = rest;
    state.average = rest;
    envelopesResting = false;
    state.rmsAttackState = ec::kEpsilon;
    state.rmsEnvelope = ec::kEpsilon;
    state.meanSquare = ec::kEpsilon;
    softclipPeakLeft.store(ec::kEpsilon, kRelaxed);
    softclipPeakRight.store(ec::kEpsilon, kRelaxed);
    publishLevelMeters(state);
    publishGains({stereo::splat(1.0f), 1.0f});
}

void LimiterEngine::loadFrameParameters()
{
    using stereo::splat;
    // New coefficients may move the envelopes' resting point.
    envelopesResting = false;
    frame.inputGain = splat(inputGain.load(kRelaxed));
    const float side = sideGain.load(kRelaxed);
    frame.signedSideGain = stereo::make(side, -side);
    const float correlation = correlationCoef.load(kRelaxed);
    const float correlationFresh = 1.0f - correlation;
    frame.correlationCoef = splat(correlation);
    frame.correlationFresh = splat(correlationFresh);
    const float threshold = correlationThreshold.load(kRelaxed);
    frame.correlationLimiterOn = threshold > ec::kCorrelationLimiterOffThreshold;
    frame.oneMinusThreshold = 1.0f - threshold;
    frame.onePlusThreshold = 1.0f + threshold;
    const float amount = softclipAmount.load(kRelaxed);
    frame.softclipOn = amount > ec::kSoftclipMinAmount;
    frame.softclipAmount = splat(amount);
    frame.softclipDry = splat(1.0f - amount);
    frame.softclipInScale = splat(softclipInScale.load(kRelaxed));
    frame.softclipOutScale = splat(softclipOutScale.load(kRelaxed));
    frame.interSamplePeak = interSamplePeak.load(kRelaxed);
    const float attack = rmsAttackCoef.load(kRelaxed);
    frame.rmsAttackCoef = attack;
    frame.rmsAttackFresh = 1.0f - attack;
    frame.rmsReleaseCoef = rmsReleaseCoef.load(kRelaxed);
    frame.rmsThresholdPower = rmsThresholdPower.load(kRelaxed);
    frame.envelopeReleaseCoef = splat(envelopeReleaseCoef.load(kRelaxed));
    const float hysteresis = envelopeHysteresisCoef.load(kRelaxed);
    frame.envelopeHysteresisCoef = splat(hysteresis);
    frame.envelopeHysteresisFresh = splat(1.0f - hysteresis);
    frame.stereoLink = splat(stereoLink.load(kRelaxed));
    frame.outputGain = splat(outputGain.load(kRelaxed));
}

void LimiterEngine::publishLevelMeters(const FrameState& s)
{
    shownPeak.publish(s.peakMeter);
    shownRms.publish(s.rmsMeter);
    shownPeakHold.publish(s.peakHold);
    shownPower.publish(s.power);
    shownCrossPower.publish(s.power[2]);
}

void LimiterEngine::publishGains(const FrameGains& gains)
{
    shownLimiterGain.publish(gains.limiter);
    shownRmsGain.store(gains.leveller, kRelaxed);
    // A reader's reset between the load and the store keeps an older low: harmless.
    const float limiter = std::min(gains.limiter[0], gains.limiter[1]);
    if (limiter < lowestLimiterGain.load(kRelaxed))
        lowestLimiterGain.store(limiter, kRelaxed);
    if (gains.leveller < lowestRmsGain.load(kRelaxed))
        lowestRmsGain.store(gains.leveller, kRelaxed);
}

void LimiterEngine::setBypassed(bool on)
{
    requestedBypass.store(on, kRelaxed);
    postRequest(kRequestBypass);
}

void LimiterEngine::resetPeakHold()
{
    postRequest(kRequestPeakHoldReset);
}

void LimiterEngine::resetLoudness()
{
    loudness.reset();
}

LoudnessFigures LimiterEngine::getLoudness() const
{
    return loudness.getFigures();
}

void LimiterEngine::waitUntilLoudnessMeasured()
{
    loudness.waitUntilMeasured();
}

void LimiterEngine::postRequest(Request request)
{
    // Release: the value stored with the request is visible once the request is seen.
    pendingRequests.fetch_or(request, std::memory_order_release);
}

void LimiterEngine::carryOutRequests()
{
    const unsigned requests = pendingRequests.exchange(0, std::memory_order_acquire);
    if (requests & kRequestParameters)
        loadFrameParameters();
    if (requests & kRequestBypass)
        applyBypass(requestedBypass.load(kRelaxed));
    if (requests & kRequestDitherBits)
        applyDitherBits(ditherBits.load(kRelaxed));
    if (requests & kRequestPeakHoldReset)
        state.holdCount = stereo::splatInt(0);
}

void LimiterEngine::applyBypass(bool on)
{
    bypassActive = on;
    bypassed.store(on, kRelaxed);
    // The loudness measurement goes on: it measures the output as the host gets it, the
    // look-ahead's silence included.
    restDetectors();
    clearLookAhead();
}

void LimiterEngine::clearState()
{
    resetState();
    clearLookAhead();
}

void LimiterEngine::clearLookAhead()
{
    std::fill(ring.get(), ring.get() + 4 * kRingFrames, 0.0f);
    ringNext = 0;
}

void LimiterEngine::applyDitherBits(int bits)
{
    frame.quantising = bits < ec::kMaxWordLengthBits;
    quantiser.setWordLength(bits);
}

void LimiterEngine::setOutputGain(float factor)
{
    outputGain.store(factor >= ec::kMinOutputGain ? std::min(factor, ec::kMaxOutputGain)
                                                  : ec::kMinOutputGain,
                     kRelaxed);
    postRequest(kRequestParameters);
}

void LimiterEngine::setInputGain(float factor)
{
    inputGain.store(boundedFactor(factor, ec::kMaxInputGainFactor), kRelaxed);
    postRequest(kRequestParameters);
}

void LimiterEngine::setSideGain(float gain)
{
    sideGain.store(boundedFactor(gain, ec::kMaxSignalFactor), kRelaxed);
    postRequest(kRequestParameters);
}

void LimiterEngine::setTime(std::atomic<float>& time, std::atomic<float>& coefficient,
                            float seconds, float timeScale)
{
    const float floored = flooredTime(seconds);
    time.store(floored, kRelaxed);
    coefficient.store(onePoleCoefficient(timeScale * floored, engineSampleRate.load(kRelaxed)),
                      kRelaxed);
    postRequest(kRequestParameters);
}

void LimiterEngine::setCorrelationTime(float seconds)
{
    setTime(correlationTime, correlationCoef, seconds, 0.5f);
}

void LimiterEngine::setCorrelationThreshold(float threshold)
{
    correlationThreshold.store(boundedFactor(threshold, ec::kMaxCorrelationThreshold), kRelaxed);
    postRequest(kRequestParameters);
}

void LimiterEngine::setEnvelopeHysteresis(float seconds)
{
    setTime(envelopeHysteresis, envelopeHysteresisCoef, seconds, 1.0f);
}

void LimiterEngine::setEnvelopeRelease(float seconds)
{
    setTime(envelopeRelease, envelopeReleaseCoef, seconds, 1.0f);
}

void LimiterEngine::setStereoLink(float link)
{
    stereoLink.store(link, kRelaxed);
    postRequest(kRequestParameters);
}

void LimiterEngine::setSoftclipThreshold(float unboundedDb)
{
    const float thresholdDb = boundedFactor(unboundedDb, ec::kMaxSoftclipThresholdDb);
    softclipThresholdDb.store(thresholdDb, kRelaxed);
    softclipInScale.store(0.5f * decibelsToFactor(-kAmplitudeDbFactor, thresholdDb), kRelaxed);
    softclipOutScale.store(2.0f * decibelsToFactor(kAmplitudeDbFactor, thresholdDb), kRelaxed);
    postRequest(kRequestParameters);
}

void LimiterEngine::setSoftclipAmount(float amount)
{
    softclipAmount.store(boundedFactor(amount, ec::kMaxSignalFactor), kRelaxed);
    softclipPeakLeft.store(1.0f, kRelaxed);
    softclipPeakRight.store(1.0f, kRelaxed);
    postRequest(kRequestParameters);
}

void LimiterEngine::setRmsAttack(float seconds)
{
    setTime(rmsAttack, rmsAttackCoef, seconds, 0.5f);
}

void LimiterEngine::setRmsRelease(float seconds)
{
    setTime(rmsRelease, rmsReleaseCoef, seconds, 0.5f);
}

void LimiterEngine::setRmsThreshold(float thresholdDb)
{
    rmsThresholdDb.store(thresholdDb, kRelaxed);
    rmsThresholdPower.store(decibelsToFactor(kPowerDbFactor, thresholdDb), kRelaxed);
    postRequest(kRequestParameters);
}

void LimiterEngine::setInterSamplePeak(bool on)
{
    interSamplePeak.store(on, kRelaxed);
    postRequest(static_cast<Request>(kRequestParameters | kRequestPeakHoldReset));
}

void LimiterEngine::setDitherBits(int bits)
{
    ditherBits.store(bits, kRelaxed);
    postRequest(kRequestDitherBits);
}

float LimiterEngine::getPeakLeft() const
{
    return shownPeak.left();
}

float LimiterEngine::getPeakRight() const
{
    return shownPeak.right();
}

float LimiterEngine::getRmsLeft() const
{
    return std::sqrt(shownRms.left());
}

float LimiterEngine::getRmsRight() const
{
    return std::sqrt(shownRms.right());
}

float LimiterEngine::getPeakHoldLeft() const
{
    return shownPeakHold.left();
}

float LimiterEngine::getPeakHoldRight() const
{
    return shownPeakHold.right();
}

float LimiterEngine::getPeakHoldDbLeft() const
{
    return 20.0f * std::log10(shownPeakHold.left());
}

float LimiterEngine::getPeakHoldDbRight() const
{
    return 20.0f * std::log10(shownPeakHold.right());
}

float LimiterEngine::correlation() const
{
    constexpr float eps = ec::kEpsilon;
    const float product = (eps + shownPower.right()) * (eps + shownPower.left());
    return shownCrossPower.left() / std::sqrt(product);
}

float LimiterEngine::getCorrelation() const
{
    const float rho = correlation();
    if (bypassed.load(kRelaxed))
        return rho;
    const float threshold = correlationThreshold.load(kRelaxed);
    return rho > threshold ? rho : threshold;
}

float LimiterEngine::getCorrelationShortfall() const
{
    if (bypassed.load(kRelaxed))
        return 0.0f;
    const float rho = correlation();
    const float threshold = correlationThreshold.load(kRelaxed);
    return rho < threshold ? threshold - rho : 0.0f;
}

float LimiterEngine::getLimiterGainLeft() const
{
    return shownLimiterGain.left();
}

float LimiterEngine::getLimiterGainRight() const
{
    return shownLimiterGain.right();
}

float LimiterEngine::softclipGain(std::atomic<float>& peak)
{
    const float amount = softclipAmount.load(kRelaxed);
    const float u = softclipInScale.load(kRelaxed) * peak.exchange(0.0f, kRelaxed) + ec::kEpsilon;
    if (u < 1.0f)
        return (1.0f - amount) + amount * (2.0f - u) * 0.5f + ec::kEpsilon;
    return (1.0f - amount) + amount * 0.5f / u;
}

float LimiterEngine::getSoftclipGainLeft()
{
    return softclipGain(softclipPeakLeft);
}

float LimiterEngine::getSoftclipGainRight()
{
    return softclipGain(softclipPeakRight);
}

float LimiterEngine::getRmsGain() const
{
    return shownRmsGain.load(kRelaxed);
}

float LimiterEngine::takeLowestLimiterGain()
{
    return lowestLimiterGain.exchange(shownLimiterGain.lowest(), kRelaxed);
}

float LimiterEngine::takeLowestRmsGain()
{
    return lowestRmsGain.exchange(shownRmsGain.load(kRelaxed), kRelaxed);
}

float LimiterEngine::getEngineSampleRate() const
{
    return engineSampleRate.load(kRelaxed);
}

int LimiterEngine::getLookAhead() const
{
    return lookAhead.load(kRelaxed);
}
