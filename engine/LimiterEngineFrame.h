#pragma once

// The per-frame path of LimiterEngine, inline so the host's block loop can keep the frame in
// registers. Included by LimiterEngine.h only. Every expression keeps the order of its float
// operations: results are bit-exact, so do not reassociate or fuse them.

#include <cmath>

inline void LimiterEngine::processSample(float left, float right)
{
    if (pendingRequests.load(std::memory_order_relaxed) != 0)
    {
        carryOutRequests();
    }
    left = boundInput(left);
    right = boundInput(right);
    if (bypassed.load(std::memory_order_relaxed))
    {
        bypassFrame(left, right);
        return;
    }
    inputStage(left, right);
    stereoWidthStage();
    softclipStage();
    delayLeft.write(workLeft);
    delayRight.write(workRight);
    detectionStage();
    rmsLevellerStage();
    envelopeStage();
    outputStage();
    meterStage();
}

// A broken upstream plug-in can send NaN or infinities, which would poison every recursive
// state for good; they become silence. Finite extremes are bounded so squares cannot overflow.
inline float LimiterEngine::boundInput(float sample)
{
    constexpr float limit = engine_constants::kInputLimit;
    if (__builtin_expect(std::fabs(sample) <= limit, 1))
    {
        return sample;
    }
    if (!std::isfinite(sample))
    {
        return 0.0f;
    }
    return sample > 0.0f ? limit : -limit;
}

inline void LimiterEngine::inputStage(float left, float right)
{
    const float gain = inputGain.load(std::memory_order_relaxed);
    const float noiseLeft = noise.uniform();
    const float noiseRight = noise.uniform();
    workLeft = noiseLeft + left * gain;
    workRight = noiseRight + right * gain;
}

inline void LimiterEngine::stereoWidthStage()
{
    constexpr float eps = engine_constants::kEpsilon;
    const float difference = workLeft - workRight;
    const float mid = (workLeft + workRight) * 0.5f;
    const float side = sideGain.load(std::memory_order_relaxed);
    workLeft = mid + side * difference;
    workRight = mid - side * difference;

    updateCorrelationStatistics();

    const float threshold = correlationThreshold.load(std::memory_order_relaxed);
    if (threshold > engine_constants::kCorrelationLimiterOffThreshold)
    {
        const float pL = powerLeft.load(std::memory_order_relaxed);
        const float pR = powerRight.load(std::memory_order_relaxed);
        const float cross = crossPower.load(std::memory_order_relaxed);
        // Powers of the filtered mid and side, each weighted by the threshold's complement.
        const float midWeighted = (eps + 2.0f * cross + pR + pL) * (1.0f - threshold);
        const float sideWeighted = (eps + pR + pL - 2.0f * cross) * (1.0f + threshold);
        if (midWeighted < sideWeighted)
        {
            const float ratio = midWeighted / sideWeighted;
            const float narrowing = ratio >= 0.0f ? std::sqrt(ratio) : 0.0f;
            workLeft = mid + side * narrowing * difference;
            workRight = mid - side * narrowing * difference;
        }
    }
}

inline void LimiterEngine::updateCorrelationStatistics()
{
    correlationFilterLeft.process(workLeft);
    correlationFilterRight.process(workRight);
    const float yL = correlationFilterLeft.output();
    const float yR = correlationFilterRight.output();
    const float c = correlationCoef.load(std::memory_order_relaxed);
    const float fresh = 1.0f - c;
    powerLeft.store(c * powerLeft.load(std::memory_order_relaxed) + fresh * (yL * yL),
                    std::memory_order_relaxed);
    powerRight.store(c * powerRight.load(std::memory_order_relaxed) + fresh * (yR * yR),
                     std::memory_order_relaxed);
    crossPower.store(c * crossPower.load(std::memory_order_relaxed) + fresh * yL * yR,
                     std::memory_order_relaxed);
}

namespace limiter_engine_detail
{
// Quadratic saturation: slope 1 at 0, slope 0 and value +-0.5 from +-1 on.
inline float softclipCurve(float x)
{
    if (x > 1.0f)
    {
        return 0.5f;
    }
    if (x >= 0.0f)
    {
        return x * (2.0f - x) * 0.5f;
    }
    if (x > -1.0f)
    {
        return x * (x + 2.0f) * 0.5f;
    }
    return -0.5f;
}

inline void raisePeak(std::atomic<float>& peak, float magnitude)
{
    if (magnitude > peak.load(std::memory_order_relaxed))
    {
        peak.store(magnitude, std::memory_order_relaxed);
    }
}
} // namespace limiter_engine_detail

inline void LimiterEngine::softclipStage()
{
    using limiter_engine_detail::softclipCurve;
    const float amount = softclipAmount.load(std::memory_order_relaxed);
    if (amount > engine_constants::kSoftclipMinAmount)
    {
        limiter_engine_detail::raisePeak(softclipPeakLeft, std::fabs(workLeft));
        limiter_engine_detail::raisePeak(softclipPeakRight, std::fabs(workRight));
        const float inScale = softclipInScale.load(std::memory_order_relaxed);
        const float outScale = softclipOutScale.load(std::memory_order_relaxed);
        const float clippedLeft = softclipCurve(workLeft * inScale) * outScale;
        const float clippedRight = softclipCurve(workRight * inScale) * outScale;
        const float dry = 1.0f - amount;
        workLeft = dry * workLeft + amount * clippedLeft;
        workRight = dry * workRight + amount * clippedRight;
    }
}

// Without inter-sample-peak detection the detection value is the smallest magnitude among the
// tap and its two neighbours, so one- and two-sample excursions are left to the output clamp.
// With it, the larger of the tap and the half-way estimate towards the next newer sample.
inline float LimiterEngine::detect(const DelayLine& line, bool interSamplePeakOn) const
{
    float v = line.readAtInRange(tapAtLookAhead);
    if (interSamplePeakOn)
    {
        float estimate = 0.0f;
        for (int tap = 0; tap < engine_constants::kInterpolatorTapCount; ++tap)
        {
            estimate = estimate + engine_constants::kInterpolatorTaps[tap] *
                                      line.readAtInRange(interpolatorTaps[tap]);
        }
        if (std::fabs(v) < std::fabs(estimate))
        {
            v = estimate;
        }
    }
    else
    {
        const float older = line.readAtInRange(tapBeforeLookAhead);
        if (std::fabs(v) > std::fabs(older))
        {
            v = older;
        }
        const float newer = line.readAtInRange(tapAfterLookAhead);
        if (std::fabs(v) > std::fabs(newer))
        {
            v = newer;
        }
    }
    return v;
}

inline void LimiterEngine::detectionStage()
{
    const bool interSamplePeakOn = interSamplePeak.load(std::memory_order_relaxed);
    workLeft = detect(delayLeft, interSamplePeakOn);
    workRight = detect(delayRight, interSamplePeakOn);
}

inline void LimiterEngine::rmsLevellerStage()
{
    constexpr float eps = engine_constants::kEpsilon;
    const float tapLeft = delayLeft.readAtInRange(tapAtLookAhead);
    const float tapRight = delayRight.readAtInRange(tapAtLookAhead);
    meanSquare =
        ((tapRight * tapRight + tapLeft * tapLeft) * 0.5f + eps) * (1.0f - meanSquareCoef) +
        meanSquareCoef * meanSquare;

    const float attackCoef = rmsAttackCoef.load(std::memory_order_relaxed);
    const float attacked = (1.0f - attackCoef) * meanSquare + attackCoef * rmsAttackState;
    rmsAttackState = attacked;
    if (attacked > rmsEnvelope)
    {
        rmsEnvelope = attacked;
    }
    else
    {
        rmsEnvelope = rmsEnvelope * rmsReleaseCoef.load(std::memory_order_relaxed);
    }

    float gain = 1.0f;
    const float thresholdPower = rmsThresholdPower.load(std::memory_order_relaxed);
    if (rmsEnvelope > thresholdPower)
    {
        gain = std::sqrt(thresholdPower / rmsEnvelope);
        workLeft = workLeft * gain;
        workRight = workRight * gain;
    }
    rmsGain.store(gain, std::memory_order_relaxed);
}

// One channel's held, smoothed, released and averaged excess over full scale.
inline float LimiterEngine::envelope(float detected, float& excess, float& smooth, float& release,
                                     float& average) const
{
    constexpr float eps = engine_constants::kEpsilon;
    const float e = std::fabs(detected) - 1.0f;
    if (e > excess)
    {
        excess = e;
    }
    else if (excess > eps)
    {
        excess = excess * peakHoldCoef;
    }
    smooth = (1.0f - peakSmoothCoef) * excess * peakNormalisation + peakSmoothCoef * smooth;
    if (release > smooth)
    {
        release = release * envelopeReleaseCoef.load(std::memory_order_relaxed);
    }
    else
    {
        release = smooth;
    }
    const float hysteresisCoef = envelopeHysteresisCoef.load(std::memory_order_relaxed);
    average = hysteresisCoef * average + (1.0f - hysteresisCoef) * release;
    const float floor = average * engine_constants::kHysteresisWeight;
    return release < floor ? floor : release;
}

inline void LimiterEngine::envelopeStage()
{
    // Below twice the rest value the gain is exactly 1, so a quiet signal passes untouched.
    constexpr float restLimit = 2.0f * engine_constants::kEpsilon;
    float envelopeLeft = envelope(workLeft, excessLeft, smoothLeft, releaseLeft, averageLeft);
    float envelopeRight = envelope(workRight, excessRight, smoothRight, releaseRight, averageRight);

    const float link = stereoLink.load(std::memory_order_relaxed);
    if (envelopeRight < link * envelopeLeft)
    {
        envelopeRight = link * envelopeLeft;
    }
    else if (envelopeLeft < link * envelopeRight)
    {
        envelopeLeft = link * envelopeRight;
    }
    limiterGainLeft.store(envelopeLeft > restLimit ? 1.0f / (envelopeLeft + 1.0f) : 1.0f,
                          std::memory_order_relaxed);
    limiterGainRight.store(envelopeRight > restLimit ? 1.0f / (envelopeRight + 1.0f) : 1.0f,
                           std::memory_order_relaxed);
}

inline float LimiterEngine::clampToFullScale(float sample)
{
    if (sample > 1.0f)
    {
        return 1.0f;
    }
    if (sample < -1.0f)
    {
        return -1.0f;
    }
    return sample;
}

inline void LimiterEngine::outputStage()
{
    const float levellerGain = rmsGain.load(std::memory_order_relaxed);
    const float trim = outputGain.load(std::memory_order_relaxed);
    outLeft =
        delayLeft.readOldest() * levellerGain * limiterGainLeft.load(std::memory_order_relaxed);
    outRight =
        delayRight.readOldest() * levellerGain * limiterGainRight.load(std::memory_order_relaxed);
    outLeft = clampToFullScale(outLeft) * trim;
    outRight = clampToFullScale(outRight) * trim;
    if (activeDitherBits < engine_constants::kMaxWordLengthBits)
    {
        quantiserLeft.process(outLeft);
        outLeft = clampToFullScale(quantiserLeft.output());
        quantiserRight.process(outRight);
        outRight = clampToFullScale(quantiserRight.output());
    }
}

inline void LimiterEngine::meterChannel(float out, std::atomic<float>& peakMeter,
                                        std::atomic<float>& peakHold, int& holdCount,
                                        std::atomic<float>& rmsMeter) const
{
    const float m = std::fabs(out);
    float peak = peakMeter.load(std::memory_order_relaxed);
    float held = peakHold.load(std::memory_order_relaxed);
    if (m > peak)
    {
        peak = m;
        if (m > held)
        {
            held = m;
            holdCount = holdDurationFrames;
        }
    }
    else
    {
        peak = peak * meterDecayCoef;
    }
    const int remaining = holdCount;
    holdCount = remaining - 1;
    if (remaining < 0)
    {
        held = m;
        holdCount = holdDurationFrames;
    }
    peakMeter.store(peak, std::memory_order_relaxed);
    peakHold.store(held, std::memory_order_relaxed);
    const float rms = rmsMeter.load(std::memory_order_relaxed);
    rmsMeter.store((1.0f - meterRmsCoef) * (out * out) + meterRmsCoef * rms,
                   std::memory_order_relaxed);
}

inline void LimiterEngine::meterStage()
{
    meterChannel(outLeft, peakMeterLeft, peakHoldLeft, holdCountLeft, rmsMeterLeft);
    meterChannel(outRight, peakMeterRight, peakHoldRight, holdCountRight, rmsMeterRight);
}

// Bypass keeps the 512-frame delay and the input noise but no gain, clamp or dither; the
// correlation meter follows the bypassed signal.
inline void LimiterEngine::bypassFrame(float left, float right)
{
    const float noiseLeft = noise.uniform();
    const float noiseRight = noise.uniform();
    delayLeft.write(left + noiseLeft);
    delayRight.write(right + noiseRight);
    outLeft = delayLeft.readOldest();
    outRight = delayRight.readOldest();
    workLeft = outLeft;
    workRight = outRight;
    meterStage();
    updateCorrelationStatistics();
}
