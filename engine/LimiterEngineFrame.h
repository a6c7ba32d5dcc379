#pragma once

// The per-frame path of LimiterEngine, inline so that a frame costs no call and its values stay
// in registers from stage to stage. Included by LimiterEngine.h only. Both channels travel together
// in one StereoVector; every expression keeps the order of its 32-bit float operations, so results
// are bit-exact: do not reassociate or fuse them. Data-dependent choices are lane selects rather
// than branches, which audio would mispredict.

#include <algorithm>
#include <cmath>

// The frame path must inline into the caller's block loop whatever the compiler's size
// heuristics say.
#define VARNHOLT_ENGINE_INLINE inline __attribute__((always_inline))

VARNHOLT_ENGINE_INLINE void LimiterEngine::processSample(float left, float right)
{
    if (pendingRequests.load(std::memory_order_relaxed) != 0)
    {
        carryOutRequests();
    }
    const StereoVector input = boundInput(stereo::make(left, right));
    if (bypassActive)
    {
        bypassFrame(input);
        return;
    }
    StereoVector work = inputStage(input);
    work = stereoWidthStage(work);
    work = softclipStage(work);
    delay.write(work);
    // The line has unit gain, so its raw slots are exactly what readAt returns.
    const StereoVector* window = delay.slotsFromOldest();
    const StereoVector tap = window[rate.tapAtLookAhead];
    StereoVector detected = detectionStage(window, tap);
    const float levellerGain = rmsLevellerStage(tap, detected);
    const StereoVector limiterGains = envelopeStage(detected);
    outputStage(window[0], levellerGain, limiterGains);
    meterStage();
    shownLimiterGain.publish(limiterGains);
    shownRmsGain.store(levellerGain, std::memory_order_relaxed);
}

namespace limiter_engine_detail
{
inline float boundSample(float sample)
{
    if (!std::isfinite(sample))
    {
        return 0.0f;
    }
    return std::max(std::min(sample, engine_constants::kInputLimit),
                    -engine_constants::kInputLimit);
}
} // namespace limiter_engine_detail

// A broken upstream plug-in can send NaN or infinities, which would poison every recursive
// state for good; they become silence. Finite extremes are bounded so squares cannot overflow.
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::boundInput(StereoVector input)
{
    const StereoMask inRange = stereo::abs(input) <= engine_constants::kInputLimit;
    if (__builtin_expect(stereo::bothSet(inRange), 1))
    {
        return input;
    }
    return stereo::make(limiter_engine_detail::boundSample(input[0]),
                        limiter_engine_detail::boundSample(input[1]));
}

// Drive, plus noise at -160 dB that keeps every recursive state away from denormals.
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::inputStage(StereoVector input)
{
    return noise.uniformPair() + input * frame.inputGain;
}

VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::stereoWidthStage(StereoVector work)
{
    const StereoVector left = stereo::leftInBoth(work);
    const StereoVector right = stereo::rightInBoth(work);
    const StereoVector difference = left - right;
    const StereoVector mid = (left + right) * 0.5f;
    work = mid + frame.signedSideGain * difference;

    updateCorrelationStatistics(work);

    if (frame.correlationLimiterOn)
    {
        // Powers of the filtered mid and side, each weighted by the threshold; the side is
        // narrowed just enough to bring the mid/side correlation back to the threshold.
        constexpr float eps = engine_constants::kEpsilon;
        const float powerLeft = power[0];
        const float powerRight = power[1];
        const float crossPower = power[2];
        const float midWeighted =
            (eps + 2.0f * crossPower + powerRight + powerLeft) * frame.oneMinusThreshold;
        const float sideWeighted =
            (eps + powerRight + powerLeft - 2.0f * crossPower) * frame.onePlusThreshold;
        if (midWeighted < sideWeighted)
        {
            const float ratio = midWeighted / sideWeighted;
            const float narrowing = ratio >= 0.0f ? std::sqrt(ratio) : 0.0f;
            work = mid + frame.signedSideGain * narrowing * difference;
        }
    }
    return work;
}

// Powers of both channels and their cross power after the 800 Hz high-pass.
VARNHOLT_ENGINE_INLINE void LimiterEngine::updateCorrelationStatistics(StereoVector work)
{
    correlationFilters.process(work);
    const StereoVector y = correlationFilters.output();
    // Lanes: yL * yL, yR * yR, ((1 - c) * yL) * yR twice.
    const StereoVector first = __builtin_shufflevector(y, y, 0, 1, 0, 0) * frame.crossFreshScale;
    const StereoVector second = __builtin_shufflevector(y, y, 0, 1, 1, 1);
    power = frame.correlationCoef * power + frame.powerFreshScale * (first * second);
}

namespace limiter_engine_detail
{
// Quadratic saturation: slope 1 at 0, slope 0 and value +-0.5 from +-1 on.
inline StereoVector softclipCurve(StereoVector x)
{
    const StereoVector rising = x * (2.0f - x) * 0.5f;
    const StereoVector falling = x * (x + 2.0f) * 0.5f;
    StereoVector curve = stereo::select(x >= 0.0f, rising, falling);
    curve = stereo::select(x > 1.0f, stereo::splat(0.5f), curve);
    return stereo::select(x <= -1.0f, stereo::splat(-0.5f), curve);
}

inline void raisePeak(std::atomic<float>& peak, float magnitude)
{
    if (magnitude > peak.load(std::memory_order_relaxed))
    {
        peak.store(magnitude, std::memory_order_relaxed);
    }
}
} // namespace limiter_engine_detail

VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::softclipStage(StereoVector work)
{
    if (!frame.softclipOn)
    {
        return work;
    }
    const StereoVector magnitude = stereo::abs(work);
    limiter_engine_detail::raisePeak(softclipPeakLeft, magnitude[0]);
    limiter_engine_detail::raisePeak(softclipPeakRight, magnitude[1]);
    const StereoVector clipped =
        limiter_engine_detail::softclipCurve(work * frame.softclipInScale) * frame.softclipOutScale;
    return frame.softclipDry * work + frame.softclipAmount * clipped;
}

// Without inter-sample-peak detection the detection value is the smallest magnitude among the
// tap and its two neighbours, so one- and two-sample excursions are left to the output clamp.
// With it, the larger of the tap and the half-way estimate towards the next newer sample.
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::detectionStage(const StereoVector* window,
                                                                  StereoVector tap) const
{
    using stereo::abs;
    using stereo::select;
    if (frame.interSamplePeak)
    {
        StereoVector estimate = stereo::splat(0.0f);
        for (int i = 0; i < engine_constants::kInterpolatorTapCount; ++i)
        {
            estimate = estimate +
                       engine_constants::kInterpolatorTaps[i] * window[rate.interpolatorTaps[i]];
        }
        return select(abs(tap) < abs(estimate), estimate, tap);
    }
    const StereoVector older = window[rate.tapBeforeLookAhead];
    const StereoVector v = select(abs(tap) > abs(older), older, tap);
    const StereoVector newer = window[rate.tapAfterLookAhead];
    return select(abs(v) > abs(newer), newer, v);
}

// One gain for both channels that holds the tracked mean square of the tap at the threshold;
// it also scales the detection values. Returns the gain.
VARNHOLT_ENGINE_INLINE float LimiterEngine::rmsLevellerStage(StereoVector tap,
                                                             StereoVector& detected)
{
    constexpr float eps = engine_constants::kEpsilon;
    const StereoVector squares = tap * tap;
    meanSquare = ((squares[1] + squares[0]) * 0.5f + eps) * rate.meanSquareFresh +
                 rate.meanSquareCoef * meanSquare;
    const float attacked = frame.rmsAttackFresh * meanSquare + frame.rmsAttackCoef * rmsAttackState;
    rmsAttackState = attacked;
    const float released = rmsEnvelope * frame.rmsReleaseCoef;
    rmsEnvelope = attacked > rmsEnvelope ? attacked : released;
    if (rmsEnvelope > frame.rmsThresholdPower)
    {
        const float gain = std::sqrt(frame.rmsThresholdPower / rmsEnvelope);
        detected = detected * gain;
        return gain;
    }
    return 1.0f;
}

// Held, smoothed, released and averaged excess over full scale per channel, then the stereo
// link; returns the limiter gains.
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::envelopeStage(StereoVector detected)
{
    using stereo::select;
    const StereoVector eps = stereo::splat(engine_constants::kEpsilon);
    const StereoVector e = stereo::abs(detected) - 1.0f;
    const StereoVector decayed = select(excess > eps, excess * rate.peakHoldCoef, excess);
    excess = select(e > excess, e, decayed);
    smooth = rate.peakSmoothFresh * excess * rate.peakNormalisation + rate.peakSmoothCoef * smooth;
    release = select(release > smooth, release * frame.envelopeReleaseCoef, smooth);
    average = frame.envelopeHysteresisCoef * average + frame.envelopeHysteresisFresh * release;
    StereoVector envelope = stereo::maxOf(average * engine_constants::kHysteresisWeight, release);

    // The right channel is raised to link * left if below it; otherwise the left to
    // link * right if below that.
    const StereoVector linked = frame.stereoLink * stereo::swapped(envelope);
    const StereoMask below = envelope < linked;
    const StereoMask leftOnly = StereoMask{-1, 0, -1, 0};
    const StereoMask raise = (below & ~stereo::rightInBoth(below) & leftOnly) | (below & ~leftOnly);
    envelope = select(raise, linked, envelope);

    // Below twice the rest value the gain is exactly 1, so a quiet signal passes untouched.
    const StereoMask limiting = envelope > 2.0f * engine_constants::kEpsilon;
    const StereoVector unity = stereo::splat(1.0f);
    if (!stereo::eitherSet(limiting))
    {
        return unity;
    }
    return select(limiting, unity / (envelope + 1.0f), unity);
}

VARNHOLT_ENGINE_INLINE void LimiterEngine::outputStage(StereoVector oldest, float levellerGain,
                                                       StereoVector limiterGains)
{
    const auto clampToFullScale = [](StereoVector v)
    { return stereo::maxOf(stereo::splat(-1.0f), stereo::minOf(stereo::splat(1.0f), v)); };
    StereoVector result = oldest * levellerGain * limiterGains;
    result = clampToFullScale(result) * frame.outputGain;
    if (frame.quantising)
    {
        quantiserLeft.process(result[0]);
        const float left = quantiserLeft.output();
        quantiserRight.process(result[1]);
        result = clampToFullScale(stereo::make(left, quantiserRight.output()));
    }
    out = result;
}

// Peak with decay, held peak with its countdown, and mean square, on the output.
VARNHOLT_ENGINE_INLINE void LimiterEngine::meterStage()
{
    using stereo::select;
    const StereoVector m = stereo::abs(out);
    const StereoMask rising = m > peakMeter;
    const StereoMask newHold = rising & (m > peakHold);
    peakMeter = select(rising, m, peakMeter * rate.meterDecayCoef);
    const StereoMask remaining = select(newHold, rate.holdDurationFrames, holdCount);
    // A hold that has just been set never expires in the same frame.
    const StereoMask expired = remaining < 0;
    holdCount = select(expired, rate.holdDurationFrames, remaining - 1);
    peakHold = select(newHold | expired, m, peakHold);
    rmsMeter = rate.meterRmsFresh * (out * out) + rate.meterRmsCoef * rmsMeter;
    publishLevelMeters();
}

VARNHOLT_ENGINE_INLINE void LimiterEngine::publishLevelMeters()
{
    shownPeak.publish(peakMeter);
    shownRms.publish(rmsMeter);
    shownPeakHold.publish(peakHold);
    shownPower.publish(power);
    shownCrossPower.publish(power[2]);
}

// Bypass keeps the 512-frame delay and the input noise but no gain, clamp or dither; the
// correlation meter follows the bypassed signal.
VARNHOLT_ENGINE_INLINE void LimiterEngine::bypassFrame(StereoVector input)
{
    delay.write(input + noise.uniformPair());
    out = delay.readOldest();
    updateCorrelationStatistics(out);
    meterStage();
}

#undef VARNHOLT_ENGINE_INLINE
