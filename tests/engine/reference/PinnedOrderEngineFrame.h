#pragma once

// The per-frame path of PinnedOrderEngine. Included by PinnedOrderEngine.h only. Both channels
// travel together in one StereoVector; every expression keeps the order of its 32-bit float
// operations, so results are bit-exact: do not reassociate or fuse them. Data-dependent choices are
// lane selects rather than branches, which audio would mispredict.

#include <algorithm>
#include <cmath>

// The frame path must inline into the caller's block loop whatever the compiler's size
// heuristics say.
#define PINNED_ENGINE_INLINE inline __attribute__((always_inline))

PINNED_ENGINE_INLINE void PinnedOrderEngine::processSample(float left, float right)
{
    if (pendingRequests.load(std::memory_order_relaxed) != 0)
        carryOutRequests();
    const StereoVector input = boundInput(stereo::make(left, right));
    if (bypassActive)
    {
        bypassFrame(input);
        return;
    }
    PinnedStereoDelayLine::Cursor line = delay.cursor();
    const FrameGains gains = processFrame(state, random, line, input);
    delay.setPosition(line);
    publishLevelMeters(state);
    publishGains(gains);
}

// One frame of the normal path on the given state; leaves the output in s.out.
PINNED_ENGINE_INLINE PinnedOrderEngine::FrameGains
PinnedOrderEngine::processFrame(FrameState& s, RandomGenerator& rng,
                                PinnedStereoDelayLine::Cursor& line, StereoVector input)
{
    StereoVector work = inputStage(rng, input);
    work = stereoWidthStage(s, work);
    work = softclipStage<false>(work);
    line.write(work);
    const StereoVector* window = line.fromOldest();
    const StereoVector tap = window[rate.tapAtLookAhead];
    StereoVector detected = detectionStage<false>(window, tap);
    const StereoVector squares = tap * tap;
    const float levellerGain = rmsLevellerStage(s, squares[0], squares[1]);
    // Times 1 where the leveller rests: the same bits as leaving it.
    detected = detected * levellerGain;
    const StereoVector limiterGains = linkedGains(envelopeStage(s, stereo::abs(detected) - 1.0f));
    outputStage(s, rng, window[0], levellerGain, limiterGains);
    meterStage(s);
    return {limiterGains, levellerGain};
}

namespace pinned_engine_detail
{
inline float boundSample(float sample)
{
    if (!std::isfinite(sample))
        return 0.0f;
    return std::max(std::min(sample, engine_constants::kInputLimit),
                    -engine_constants::kInputLimit);
}
} // namespace pinned_engine_detail

// A broken upstream plug-in can send NaN or infinities, which would poison every recursive
// state for good; they become silence. Finite extremes are bounded so squares cannot overflow.
PINNED_ENGINE_INLINE StereoVector PinnedOrderEngine::boundInput(StereoVector input)
{
    const StereoMask inRange = stereo::abs(input) <= engine_constants::kInputLimit;
    if (__builtin_expect(stereo::bothSet(inRange), 1))
        return input;
    return stereo::make(pinned_engine_detail::boundSample(input[0]),
                        pinned_engine_detail::boundSample(input[1]));
}

// Drive, plus noise at -160 dB that keeps every recursive state away from denormals.
PINNED_ENGINE_INLINE StereoVector PinnedOrderEngine::inputStage(RandomGenerator& rng,
                                                                StereoVector input)
{
    return noise.uniformPair(rng) + input * frame.inputGain;
}

PINNED_ENGINE_INLINE StereoVector PinnedOrderEngine::stereoWidthStage(FrameState& s,
                                                                      StereoVector work)
{
    const StereoVector image = imageStage(work);
    updateCorrelationStatistics(s, image);
    if (!frame.correlationLimiterOn)
        return image;
    // Powers of the filtered mid and side, each weighted by the threshold; the side is narrowed
    // just enough to bring the mid/side correlation back to the threshold.
    constexpr float eps = engine_constants::kEpsilon;
    const float powerLeft = s.power[0];
    const float powerRight = s.power[1];
    const float crossPower = s.power[2];
    const float midWeighted =
        (eps + 2.0f * crossPower + powerRight + powerLeft) * frame.oneMinusThreshold;
    const float sideWeighted =
        (eps + powerRight + powerLeft - 2.0f * crossPower) * frame.onePlusThreshold;
    if (!(midWeighted < sideWeighted))
        return image;
    const float ratio = midWeighted / sideWeighted;
    const float narrowing = ratio >= 0.0f ? std::sqrt(ratio) : 0.0f;
    return imageStage(work, frame.signedSideGain * narrowing);
}

// Mid plus side times the side gain, per frame pair of the vector.
PINNED_ENGINE_INLINE StereoVector PinnedOrderEngine::imageStage(StereoVector work) const
{
    return imageStage(work, frame.signedSideGain);
}

// Mid plus the difference times signedSideGain (the side gain on the left, its negation on the
// right).
PINNED_ENGINE_INLINE StereoVector PinnedOrderEngine::imageStage(StereoVector work,
                                                                StereoVector signedSideGain)
{
    const StereoVector left = stereo::leftInBoth(work);
    const StereoVector right = stereo::rightInBoth(work);
    const StereoVector difference = left - right;
    const StereoVector mid = (left + right) * 0.5f;
    return mid + signedSideGain * difference;
}

// The filter step in its pinned order: b1 * x - a1 * out, then + state2.
inline StereoVector pinnedBiquadStep(const StereoBiquadFilter& f, StereoVector x,
                                     StereoVector& state1, StereoVector& state2)
{
    const StereoVector out = f.getB0() * x + state1;
    state1 = f.getB1() * x - f.getA1() * out + state2;
    state2 = f.getB2() * x - f.getA2() * out;
    return out;
}

// Powers of both channels and their cross power after the 800 Hz high-pass.
PINNED_ENGINE_INLINE void PinnedOrderEngine::updateCorrelationStatistics(FrameState& s,
                                                                         StereoVector work)
{
    const StereoVector y =
        pinnedBiquadStep(correlationFilters, work, s.correlationState1, s.correlationState2);
    // Lanes: yL * yL, yR * yR, ((1 - c) * yL) * yR twice.
    const StereoVector first = __builtin_shufflevector(y, y, 0, 1, 0, 0) * frame.crossFreshScale;
    const StereoVector second = __builtin_shufflevector(y, y, 0, 1, 1, 1);
    s.power = frame.correlationCoef * s.power + frame.powerFreshScale * (first * second);
}

namespace pinned_engine_detail
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
        peak.store(magnitude, std::memory_order_relaxed);
}
} // namespace pinned_engine_detail

// With twoFrames, the peaks of the second frame (lanes 2, 3) are raised after the first's.
template <bool twoFrames>
PINNED_ENGINE_INLINE StereoVector PinnedOrderEngine::softclipStage(StereoVector work)
{
    if (!frame.softclipOn)
        return work;
    const StereoVector magnitude = stereo::abs(work);
    pinned_engine_detail::raisePeak(softclipPeakLeft, magnitude[0]);
    pinned_engine_detail::raisePeak(softclipPeakRight, magnitude[1]);
    if (twoFrames)
    {
        pinned_engine_detail::raisePeak(softclipPeakLeft, magnitude[2]);
        pinned_engine_detail::raisePeak(softclipPeakRight, magnitude[3]);
    }
    const StereoVector clipped =
        pinned_engine_detail::softclipCurve(work * frame.softclipInScale) * frame.softclipOutScale;
    return frame.softclipDry * work + frame.softclipAmount * clipped;
}

// Without inter-sample-peak detection the detection value is the smallest magnitude among the
// tap and its two neighbours, so one- and two-sample excursions are left to the output clamp.
// With it, the larger of the tap and the half-way estimate towards the next newer sample.
// With twoFrames, the second frame's window is the first's plus one slot.
template <bool twoFrames>
PINNED_ENGINE_INLINE StereoVector PinnedOrderEngine::detectionStage(const StereoVector* window,
                                                                    StereoVector tap) const
{
    using stereo::abs;
    using stereo::select;
    const auto slot = [window](std::ptrdiff_t k)
    { return twoFrames ? stereo::joinPairs(window[k], window[k + 1]) : window[k]; };
    if (frame.interSamplePeak)
    {
        StereoVector estimate = stereo::splat(0.0f);
        for (int i = 0; i < engine_constants::kInterpolatorTapCount; ++i)
        {
            estimate =
                estimate + engine_constants::kInterpolatorTaps[i] * slot(rate.interpolatorTaps[i]);
        }
        return select(abs(tap) < abs(estimate), estimate, tap);
    }
    const StereoVector older = slot(rate.tapBeforeLookAhead);
    const StereoVector v = select(abs(tap) > abs(older), older, tap);
    const StereoVector newer = slot(rate.tapAfterLookAhead);
    return select(abs(v) > abs(newer), newer, v);
}

// One gain for both channels that holds the tracked mean square of the tap at the threshold,
// from the squares of the tap; it also scales the detection values. Returns the gain, 1 at rest.
PINNED_ENGINE_INLINE float PinnedOrderEngine::rmsLevellerStage(FrameState& s, float squareLeft,
                                                               float squareRight)
{
    constexpr float eps = engine_constants::kEpsilon;
    s.meanSquare = ((squareRight + squareLeft) * 0.5f + eps) * rate.meanSquareFresh +
                   rate.meanSquareCoef * s.meanSquare;
    const float attacked =
        frame.rmsAttackFresh * s.meanSquare + frame.rmsAttackCoef * s.rmsAttackState;
    s.rmsAttackState = attacked;
    const float released = s.rmsEnvelope * frame.rmsReleaseCoef;
    s.rmsEnvelope = attacked > s.rmsEnvelope ? attacked : released;
    if (s.rmsEnvelope > frame.rmsThresholdPower)
        return std::sqrt(frame.rmsThresholdPower / s.rmsEnvelope);
    return 1.0f;
}

// Held, smoothed, released and averaged excess e of the detection value over full scale per
// channel; returns the envelope.
PINNED_ENGINE_INLINE StereoVector PinnedOrderEngine::envelopeStage(FrameState& s, StereoVector e)
{
    using stereo::select;
    const StereoVector eps = stereo::splat(engine_constants::kEpsilon);
    const StereoVector decayed = select(s.excess > eps, s.excess * rate.peakHoldCoef, s.excess);
    s.excess = select(e > s.excess, e, decayed);
    s.smooth =
        rate.peakSmoothFresh * s.excess * rate.peakNormalisation + rate.peakSmoothCoef * s.smooth;
    s.release = select(s.release > s.smooth, s.release * frame.envelopeReleaseCoef, s.smooth);
    s.average =
        frame.envelopeHysteresisCoef * s.average + frame.envelopeHysteresisFresh * s.release;
    return stereo::maxOf(s.average * engine_constants::kHysteresisWeight, s.release);
}

// The stereo link and the limiter gains from the envelopes, per frame pair of the vector.
PINNED_ENGINE_INLINE StereoVector PinnedOrderEngine::linkedGains(StereoVector envelope) const
{
    using stereo::select;
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
    if (!stereo::anyOfFourSet(limiting))
        return unity;
    return select(limiting, unity / (envelope + 1.0f), unity);
}

PINNED_ENGINE_INLINE StereoVector PinnedOrderEngine::clampToFullScale(StereoVector v)
{
    return stereo::maxOf(stereo::splat(-1.0f), stereo::minOf(stereo::splat(1.0f), v));
}

// The gained sample clamped to full scale, then trimmed.
PINNED_ENGINE_INLINE StereoVector PinnedOrderEngine::clampedOutput(StereoVector gained) const
{
    return clampToFullScale(gained) * frame.outputGain;
}

PINNED_ENGINE_INLINE void PinnedOrderEngine::outputStage(FrameState& s, RandomGenerator& rng,
                                                         StereoVector oldest, float levellerGain,
                                                         StereoVector limiterGains)
{
    StereoVector result = clampedOutput(oldest * levellerGain * limiterGains);
    if (frame.quantising)
    {
        quantiserLeft.process(result[0], rng);
        const float left = quantiserLeft.output();
        quantiserRight.process(result[1], rng);
        result = clampToFullScale(stereo::make(left, quantiserRight.output()));
    }
    s.out = result;
}

// Peak with decay, held peak with its countdown, and mean square, on the output.
PINNED_ENGINE_INLINE void PinnedOrderEngine::meterStage(FrameState& s)
{
    using stereo::select;
    const StereoVector m = stereo::abs(s.out);
    const StereoMask rising = m > s.peakMeter;
    const StereoMask newHold = rising & (m > s.peakHold);
    s.peakMeter = select(rising, m, s.peakMeter * rate.meterDecayCoef);
    const StereoMask remaining = select(newHold, rate.holdDurationFrames, s.holdCount);
    // A hold that has just been set never expires in the same frame.
    const StereoMask expired = remaining < 0;
    s.holdCount = select(expired, rate.holdDurationFrames, remaining - 1);
    s.peakHold = select(newHold | expired, m, s.peakHold);
    s.rmsMeter = rate.meterRmsFresh * (s.out * s.out) + rate.meterRmsCoef * s.rmsMeter;
}

PINNED_ENGINE_INLINE void PinnedOrderEngine::publishLevelMeters(const FrameState& s)
{
    shownPeak.publish(s.peakMeter);
    shownRms.publish(s.rmsMeter);
    shownPeakHold.publish(s.peakHold);
    shownPower.publish(s.power);
    shownCrossPower.publish(s.power[2]);
}

PINNED_ENGINE_INLINE void PinnedOrderEngine::publishGains(const FrameGains& gains)
{
    shownLimiterGain.publish(gains.limiter);
    shownRmsGain.store(gains.leveller, std::memory_order_relaxed);
}

// Bypass keeps the 512-frame delay and the input noise but no gain, clamp or dither; the
// correlation meter follows the bypassed signal.
PINNED_ENGINE_INLINE void PinnedOrderEngine::bypassFrame(StereoVector input)
{
    delay.write(input + noise.uniformPair());
    state.out = delay.readOldest();
    updateCorrelationStatistics(state, state.out);
    meterStage(state);
    publishLevelMeters(state);
}

#undef PINNED_ENGINE_INLINE
