#include "engine/LimiterEngine.h"

#include "engine/Coefficients.h"

#include <algorithm>
#include <cmath>

namespace ec = engine_constants;

namespace
{
constexpr auto relaxed = std::memory_order_relaxed;
constexpr float kAmplitudeDbFactor = 0.05f;
constexpr float kPowerDbFactor = 0.1f;

// Floors a time at 0.005 s; a NaN also becomes the floor.
float flooredTime(float seconds)
{
    return seconds >= ec::kMinTimeSeconds ? seconds : ec::kMinTimeSeconds;
}

int clampedTap(int frames)
{
    return std::clamp(frames, 0, ec::kDelayCapacityFrames - 1);
}
} // namespace

LimiterEngine::LimiterEngine()
{
    delayLeft.configure(ec::kDelayCapacityFrames, ec::kDelayCapacityFrames, 1.0f);
    delayRight.configure(ec::kDelayCapacityFrames, ec::kDelayCapacityFrames, 1.0f);
    recomputeCoefficients();
}

LimiterEngine::~LimiterEngine() = default;

void LimiterEngine::setEngineSampleRate(float sampleRateHz)
{
    engineSampleRate.store(std::max(sampleRateHz, ec::kMinSampleRateHz), relaxed);
    recomputeCoefficients();
}

void LimiterEngine::recomputeCoefficients()
{
    const float fs = engineSampleRate.load(relaxed);
    meterDecayCoef = onePoleCoefficient(static_cast<float>(ec::kMeterDecayTimeSeconds), fs);
    meterRmsCoef = onePoleCoefficient(static_cast<float>(ec::kMeterRmsTimeSeconds), fs);
    correlationCoef.store(onePoleCoefficient(0.5f * correlationTime.load(relaxed), fs), relaxed);
    peakSmoothCoef = onePoleCoefficient(ec::kPeakSmoothTimeSeconds, fs);
    peakHoldCoef = onePoleCoefficient(ec::kPeakHoldTimeSeconds, fs);
    envelopeReleaseCoef.store(onePoleCoefficient(envelopeRelease.load(relaxed), fs), relaxed);
    envelopeHysteresisCoef.store(onePoleCoefficient(envelopeHysteresis.load(relaxed), fs), relaxed);
    peakNormalisation = peakNormalisationFor(ec::kPeakSmoothTimeSeconds, ec::kPeakHoldTimeSeconds);

    const int frames = lookAheadFramesFor(ec::kPeakSmoothTimeSeconds, ec::kPeakHoldTimeSeconds, fs);
    lookAhead.store(frames, relaxed);
    tapAtLookAhead = clampedTap(frames);
    tapBeforeLookAhead = clampedTap(frames - 1);
    tapAfterLookAhead = clampedTap(frames + 1);
    for (int tap = 0; tap < ec::kInterpolatorTapCount; ++tap)
    {
        interpolatorTaps[tap] = clampedTap(frames + ec::kInterpolatorOldestOffsetFrames + tap);
    }
    holdDurationFrames = static_cast<int>(ec::kPeakHoldDurationSeconds * fs);

    for (BiquadFilter* filter : {&correlationFilterLeft, &correlationFilterRight})
    {
        filter->design(fs, ec::kCorrelationFilterKind, ec::kCorrelationFilterFrequencyHz,
                       ec::kCorrelationFilterQ, ec::kCorrelationFilterGainDb);
    }
    setSoftclipThreshold(softclipThresholdDb.load(relaxed));
    setRmsThreshold(rmsThresholdDb.load(relaxed));
    rmsAttackCoef.store(onePoleCoefficient(0.5f * rmsAttack.load(relaxed), fs), relaxed);
    rmsReleaseCoef.store(onePoleCoefficient(0.5f * rmsRelease.load(relaxed), fs), relaxed);
    meanSquareCoef = onePoleCoefficient(static_cast<float>(ec::kMeanSquareTimeSeconds), fs);
    noise.setLevel(ec::kInputNoiseLevelDb);
    for (Quantiser* quantiser : {&quantiserLeft, &quantiserRight})
    {
        quantiser->setSampleRate(fs);
    }
    applyDitherBits(ditherBits.load(relaxed));
    resetState();
}

void LimiterEngine::resetState()
{
    constexpr float eps = ec::kEpsilon;
    outLeft = outRight = eps;
    workLeft = workRight = eps;
    for (std::atomic<float>* meter :
         {&peakMeterLeft, &peakMeterRight, &rmsMeterLeft, &rmsMeterRight, &peakHoldLeft,
          &peakHoldRight, &powerLeft, &powerRight, &crossPower, &softclipPeakLeft,
          &softclipPeakRight})
    {
        meter->store(eps, relaxed);
    }
    smoothLeft = smoothRight = eps;
    excessLeft = excessRight = eps;
    releaseLeft = releaseRight = eps;
    averageLeft = averageRight = eps;
    rmsAttackState = eps;
    rmsEnvelope = eps;
    meanSquare = eps;
    holdCountLeft = holdCountRight = 0;
    limiterGainLeft.store(1.0f, relaxed);
    limiterGainRight.store(1.0f, relaxed);
    rmsGain.store(1.0f, relaxed);
}

void LimiterEngine::setBypassed(bool on)
{
    requestedBypass.store(on, relaxed);
    postRequest(kRequestBypass);
}

void LimiterEngine::resetPeakHold()
{
    postRequest(kRequestPeakHoldReset);
}

void LimiterEngine::postRequest(Request request)
{
    // Release: the value stored with the request is visible once the request is seen.
    pendingRequests.fetch_or(request, std::memory_order_release);
}

void LimiterEngine::carryOutRequests()
{
    const unsigned requests = pendingRequests.exchange(0, std::memory_order_acquire);
    if (requests & kRequestBypass)
    {
        applyBypass(requestedBypass.load(relaxed));
    }
    if (requests & kRequestDitherBits)
    {
        applyDitherBits(ditherBits.load(relaxed));
    }
    if (requests & kRequestPeakHoldReset)
    {
        holdCountLeft = holdCountRight = 0;
    }
}

void LimiterEngine::applyBypass(bool on)
{
    bypassed.store(on, relaxed);
    resetState();
    delayLeft.clear();
    delayRight.clear();
}

void LimiterEngine::applyDitherBits(int bits)
{
    activeDitherBits = bits;
    quantiserLeft.setWordLength(bits);
    quantiserRight.setWordLength(bits);
}

void LimiterEngine::setOutputGain(float factor)
{
    outputGain.store(factor >= ec::kMinOutputGain ? factor : ec::kMinOutputGain, relaxed);
}

void LimiterEngine::setInputGain(float factor)
{
    inputGain.store(ec::kInputGainScale * factor, relaxed);
}

void LimiterEngine::setSideGain(float gain)
{
    sideGain.store(gain, relaxed);
}

void LimiterEngine::setCorrelationTime(float seconds)
{
    const float time = flooredTime(seconds);
    correlationTime.store(time, relaxed);
    correlationCoef.store(onePoleCoefficient(0.5f * time, engineSampleRate.load(relaxed)), relaxed);
}

void LimiterEngine::setCorrelationThreshold(float threshold)
{
    correlationThreshold.store(threshold, relaxed);
}

void LimiterEngine::setEnvelopeHysteresis(float seconds)
{
    const float time = flooredTime(seconds);
    envelopeHysteresis.store(time, relaxed);
    envelopeHysteresisCoef.store(onePoleCoefficient(time, engineSampleRate.load(relaxed)), relaxed);
}

void LimiterEngine::setEnvelopeRelease(float seconds)
{
    const float time = flooredTime(seconds);
    envelopeRelease.store(time, relaxed);
    envelopeReleaseCoef.store(onePoleCoefficient(time, engineSampleRate.load(relaxed)), relaxed);
}

void LimiterEngine::setStereoLink(float link)
{
    stereoLink.store(link, relaxed);
}

void LimiterEngine::setSoftclipThreshold(float thresholdDb)
{
    softclipThresholdDb.store(thresholdDb, relaxed);
    softclipInScale.store(0.5f * decibelsToFactor(-kAmplitudeDbFactor, thresholdDb), relaxed);
    softclipOutScale.store(2.0f * decibelsToFactor(kAmplitudeDbFactor, thresholdDb), relaxed);
}

void LimiterEngine::setSoftclipAmount(float amount)
{
    softclipAmount.store(amount, relaxed);
    softclipPeakLeft.store(1.0f, relaxed);
    softclipPeakRight.store(1.0f, relaxed);
}

void LimiterEngine::setRmsAttack(float seconds)
{
    const float time = flooredTime(seconds);
    rmsAttack.store(time, relaxed);
    rmsAttackCoef.store(onePoleCoefficient(0.5f * time, engineSampleRate.load(relaxed)), relaxed);
}

void LimiterEngine::setRmsRelease(float seconds)
{
    const float time = flooredTime(seconds);
    rmsRelease.store(time, relaxed);
    rmsReleaseCoef.store(onePoleCoefficient(0.5f * time, engineSampleRate.load(relaxed)), relaxed);
}

void LimiterEngine::setRmsThreshold(float thresholdDb)
{
    rmsThresholdDb.store(thresholdDb, relaxed);
    rmsThresholdPower.store(decibelsToFactor(kPowerDbFactor, thresholdDb), relaxed);
}

void LimiterEngine::setInterSamplePeak(bool on)
{
    interSamplePeak.store(on, relaxed);
    postRequest(kRequestPeakHoldReset);
}

void LimiterEngine::setDitherBits(int bits)
{
    ditherBits.store(bits, relaxed);
    postRequest(kRequestDitherBits);
}

float LimiterEngine::getPeakLeft() const
{
    return peakMeterLeft.load(relaxed);
}

float LimiterEngine::getPeakRight() const
{
    return peakMeterRight.load(relaxed);
}

float LimiterEngine::getRmsLeft() const
{
    return std::sqrt(rmsMeterLeft.load(relaxed));
}

float LimiterEngine::getRmsRight() const
{
    return std::sqrt(rmsMeterRight.load(relaxed));
}

float LimiterEngine::getPeakHoldLeft() const
{
    return peakHoldLeft.load(relaxed);
}

float LimiterEngine::getPeakHoldRight() const
{
    return peakHoldRight.load(relaxed);
}

float LimiterEngine::getPeakHoldDbLeft() const
{
    return 20.0f * std::log10(peakHoldLeft.load(relaxed));
}

float LimiterEngine::getPeakHoldDbRight() const
{
    return 20.0f * std::log10(peakHoldRight.load(relaxed));
}

float LimiterEngine::correlation() const
{
    constexpr float eps = ec::kEpsilon;
    const float product = (eps + powerRight.load(relaxed)) * (eps + powerLeft.load(relaxed));
    return crossPower.load(relaxed) / std::sqrt(product);
}

float LimiterEngine::getCorrelation() const
{
    const float rho = correlation();
    if (bypassed.load(relaxed))
    {
        return rho;
    }
    const float threshold = correlationThreshold.load(relaxed);
    return rho > threshold ? rho : threshold;
}

float LimiterEngine::getCorrelationShortfall() const
{
    if (bypassed.load(relaxed))
    {
        return 0.0f;
    }
    const float rho = correlation();
    const float threshold = correlationThreshold.load(relaxed);
    return rho < threshold ? threshold - rho : 0.0f;
}

float LimiterEngine::getLimiterGainLeft() const
{
    return limiterGainLeft.load(relaxed);
}

float LimiterEngine::getLimiterGainRight() const
{
    return limiterGainRight.load(relaxed);
}

float LimiterEngine::softclipGain(std::atomic<float>& peak)
{
    const float amount = softclipAmount.load(relaxed);
    const float u = softclipInScale.load(relaxed) * peak.exchange(0.0f, relaxed) + ec::kEpsilon;
    if (u < 1.0f)
    {
        return (1.0f - amount) + amount * (2.0f - u) * 0.5f + ec::kEpsilon;
    }
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
    return rmsGain.load(relaxed);
}

float LimiterEngine::getEngineSampleRate() const
{
    return engineSampleRate.load(relaxed);
}

int LimiterEngine::getLookAhead() const
{
    return lookAhead.load(relaxed);
}
