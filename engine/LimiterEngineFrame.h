#pragma once

// The per-frame path of LimiterEngine, inline so that a frame costs no call and its values stay
// in registers from stage to stage. Included only where audio is processed; readers of the meters
// and setters need LimiterEngine.h alone. Both channels travel together in one StereoVector;
// every expression keeps the order of its 32-bit float operations, so results are bit-exact: do
// not reassociate or fuse them. Data-dependent choices are lane selects rather than branches,
// which audio would mispredict.

#include "engine/LimiterEngine.h"

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
    StereoDelayLine::Cursor line = delay.cursor();
    const FrameGains gains = processFrame(state, random, line, input);
    delay.setPosition(line);
    publishLevelMeters(state);
    publishGains(gains);
}

template <typename Sample>
VARNHOLT_ENGINE_INLINE void LimiterEngine::processBlock(const Sample* inLeft, const Sample* inRight,
                                                        Sample* outLeft, Sample* outRight,
                                                        int frames)
{
    int next = 0;
    while (next < frames)
    {
        if (pendingRequests.load(std::memory_order_relaxed) != 0)
        {
            carryOutRequests();
        }
        if (bypassActive)
        {
            // Rare, and the bypass keeps no gains: the frame path as it is.
            processSample(static_cast<float>(inLeft[next]), static_cast<float>(inRight[next]));
            outLeft[next] = static_cast<Sample>(state.out[0]);
            outRight[next] = static_cast<Sample>(state.out[1]);
            ++next;
            continue;
        }
        next = wideVectors ? processRunWide(inLeft, inRight, outLeft, outRight, next, frames)
                           : processRun(inLeft, inRight, outLeft, outRight, next, frames);
    }
}

// Frames from `first` until the block ends or a request waits; returns where it stopped. The
// state lives in locals meanwhile: members would be reloaded and stored around every atomic
// access, and those are in every frame. Without the correlation limiter, frames go two at a time,
// and requests are looked for after every pair: a request that arrives in the middle of a pair is
// carried out one frame later than it would be frame by frame.
template <typename Sample>
VARNHOLT_ENGINE_INLINE int LimiterEngine::processRun(const Sample* inLeft, const Sample* inRight,
                                                     Sample* outLeft, Sample* outRight, int first,
                                                     int frames)
{
    FrameState s = state;
    RandomGenerator rng = random;
    StereoDelayLine::Cursor line = delay.cursor();
    FrameGains gains{};
    int next = first;
    bool requested = false;
    if (!frame.correlationLimiterOn)
    {
        while (next + 1 < frames && !requested)
        {
            const StereoVector inputs = boundInputPair(StereoVector{
                static_cast<float>(inLeft[next]), static_cast<float>(inRight[next]),
                static_cast<float>(inLeft[next + 1]), static_cast<float>(inRight[next + 1])});
            const StereoVector outputs = processFramePair(s, rng, line, inputs, gains);
            outLeft[next] = static_cast<Sample>(outputs[0]);
            outRight[next] = static_cast<Sample>(outputs[1]);
            outLeft[next + 1] = static_cast<Sample>(outputs[2]);
            outRight[next + 1] = static_cast<Sample>(outputs[3]);
            next += 2;
            requested = pendingRequests.load(std::memory_order_relaxed) != 0;
        }
    }
    while (next < frames && !requested)
    {
        const StereoVector input = boundInput(
            stereo::make(static_cast<float>(inLeft[next]), static_cast<float>(inRight[next])));
        gains = processFrame(s, rng, line, input);
        outLeft[next] = static_cast<Sample>(s.out[0]);
        outRight[next] = static_cast<Sample>(s.out[1]);
        ++next;
        requested = pendingRequests.load(std::memory_order_relaxed) != 0;
    }
    state = s;
    random = rng;
    delay.setPosition(line);
    publishLevelMeters(state);
    publishGains(gains);
    return next;
}

// processRun compiled for AVX-512: twice the vector registers, so the frame state stays in them
// without spills, and each lane select is one instruction instead of three. The lane arithmetic
// is the same IEEE single-precision operations (no fused multiply-adds, see CMakeLists.txt), so
// the output bits are the same as on the SSE2 baseline.
template <typename Sample>
__attribute__((target("avx2,avx512f,avx512vl,avx512dq,avx512bw"))) int
LimiterEngine::processRunWide(const Sample* inLeft, const Sample* inRight, Sample* outLeft,
                              Sample* outRight, int first, int frames)
{
    return processRun(inLeft, inRight, outLeft, outRight, first, frames);
}

// One frame of the normal path on the given state; leaves the output in s.out.
VARNHOLT_ENGINE_INLINE LimiterEngine::FrameGains
LimiterEngine::processFrame(FrameState& s, RandomGenerator& rng, StereoDelayLine::Cursor& line,
                            StereoVector input)
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

// Two frames at once where the stages allow it: lanes 0 and 1 carry the first frame's pair,
// lanes 2 and 3 the second's (elsewhere they carry unread values). The stages without feedback
// (input, noise, image, soft clipper, detection, link, gains, output) run joined, the recursive
// ones frame by frame, in frame order per state. Every lane sees exactly processFrame's
// operations, and the generator's draws are taken in processFrame's order (input noise, left
// dither, right dither, per frame), so the output bits are the same. Not for the correlation
// limiter: its image depends on the previous frame's statistics. Returns both outputs; the
// second frame's are left in s.out.
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::processFramePair(FrameState& s,
                                                                    RandomGenerator& rng,
                                                                    StereoDelayLine::Cursor& line,
                                                                    StereoVector inputs,
                                                                    FrameGains& secondGains)
{
    using stereo::joinPairs;
    using stereo::secondPair;
    using Draw = RandomGenerator::Lanes;
    const bool quantising = frame.quantising;
    const Draw firstNoise = rng.next();
    const Draw firstLeftDither = quantising ? rng.next() : Draw{};
    const Draw firstRightDither = quantising ? rng.next() : Draw{};
    const Draw secondNoise = rng.next();
    const Draw secondLeftDither = quantising ? rng.next() : Draw{};
    const Draw secondRightDither = quantising ? rng.next() : Draw{};
    StereoVector work = noise.uniformTwoPairsOf(firstNoise, secondNoise) + inputs * frame.inputGain;
    work = imageStage(work);
    updateCorrelationStatistics(s, work);
    updateCorrelationStatistics(s, secondPair(work));
    work = softclipStage<true>(work);
    line.write(work);
    const StereoVector* window = line.fromOldest();
    // The second write takes the first frame's oldest slot: read both oldest samples before it.
    // The first frame's other slots stay; the second frame's window is this one plus one.
    const StereoVector oldest = joinPairs(window[0], window[1]);
    line.write(secondPair(work));
    const StereoVector tap =
        joinPairs(window[rate.tapAtLookAhead], window[rate.tapAtLookAhead + 1]);
    StereoVector detected = detectionStage<true>(window, tap);
    const StereoVector squares = tap * tap;
    const float firstLeveller = rmsLevellerStage(s, squares[0], squares[1]);
    const float secondLeveller = rmsLevellerStage(s, squares[2], squares[3]);
    const StereoVector levellerGains{firstLeveller, firstLeveller, secondLeveller, secondLeveller};
    detected = detected * levellerGains;
    const StereoVector excess = stereo::abs(detected) - 1.0f;
    const StereoVector firstEnvelope = envelopeStage(s, excess);
    const StereoVector limiterGains =
        linkedGains(joinPairs(firstEnvelope, envelopeStage(s, secondPair(excess))));
    StereoVector result = clampedOutput(oldest * levellerGains * limiterGains);
    if (quantising)
    {
        quantiserLeft.processDrawn(result[0], firstLeftDither);
        const float firstLeft = quantiserLeft.output();
        quantiserRight.processDrawn(result[1], firstRightDither);
        const float firstRight = quantiserRight.output();
        quantiserLeft.processDrawn(result[2], secondLeftDither);
        const float secondLeft = quantiserLeft.output();
        quantiserRight.processDrawn(result[3], secondRightDither);
        result = clampToFullScale(
            StereoVector{firstLeft, firstRight, secondLeft, quantiserRight.output()});
    }
    s.out = result;
    meterStage(s);
    s.out = secondPair(result);
    meterStage(s);
    secondGains = {secondPair(limiterGains), secondLeveller};
    return result;
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

VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::boundInputPair(StereoVector inputs)
{
    const StereoMask inRange = stereo::abs(inputs) <= engine_constants::kInputLimit;
    if (__builtin_expect(stereo::allFourSet(inRange), 1))
    {
        return inputs;
    }
    using limiter_engine_detail::boundSample;
    return StereoVector{boundSample(inputs[0]), boundSample(inputs[1]), boundSample(inputs[2]),
                        boundSample(inputs[3])};
}

// Drive, plus noise at -160 dB that keeps every recursive state away from denormals.
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::inputStage(RandomGenerator& rng,
                                                              StereoVector input)
{
    return noise.uniformPair(rng) + input * frame.inputGain;
}

VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::stereoWidthStage(FrameState& s,
                                                                    StereoVector work)
{
    const StereoVector image = imageStage(work);
    updateCorrelationStatistics(s, image);
    if (!frame.correlationLimiterOn)
    {
        return image;
    }
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
    {
        return image;
    }
    const float ratio = midWeighted / sideWeighted;
    const float narrowing = ratio >= 0.0f ? std::sqrt(ratio) : 0.0f;
    return imageStage(work, frame.signedSideGain * narrowing);
}

// Mid plus side times the side gain, per frame pair of the vector.
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::imageStage(StereoVector work) const
{
    return imageStage(work, frame.signedSideGain);
}

// Mid plus the difference times signedSideGain (the side gain on the left, its negation on the
// right).
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::imageStage(StereoVector work,
                                                              StereoVector signedSideGain)
{
    const StereoVector left = stereo::leftInBoth(work);
    const StereoVector right = stereo::rightInBoth(work);
    const StereoVector difference = left - right;
    const StereoVector mid = (left + right) * 0.5f;
    return mid + signedSideGain * difference;
}

// Powers of both channels and their cross power after the 800 Hz high-pass.
VARNHOLT_ENGINE_INLINE void LimiterEngine::updateCorrelationStatistics(FrameState& s,
                                                                       StereoVector work)
{
    const StereoVector y = correlationFilters.step(work, s.correlationState1, s.correlationState2);
    // Lanes: yL * yL, yR * yR, ((1 - c) * yL) * yR twice.
    const StereoVector first = __builtin_shufflevector(y, y, 0, 1, 0, 0) * frame.crossFreshScale;
    const StereoVector second = __builtin_shufflevector(y, y, 0, 1, 1, 1);
    s.power = frame.correlationCoef * s.power + frame.powerFreshScale * (first * second);
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

// With twoFrames, the peaks of the second frame (lanes 2, 3) are raised after the first's.
template <bool twoFrames>
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::softclipStage(StereoVector work)
{
    if (!frame.softclipOn)
    {
        return work;
    }
    const StereoVector magnitude = stereo::abs(work);
    limiter_engine_detail::raisePeak(softclipPeakLeft, magnitude[0]);
    limiter_engine_detail::raisePeak(softclipPeakRight, magnitude[1]);
    if (twoFrames)
    {
        limiter_engine_detail::raisePeak(softclipPeakLeft, magnitude[2]);
        limiter_engine_detail::raisePeak(softclipPeakRight, magnitude[3]);
    }
    const StereoVector clipped =
        limiter_engine_detail::softclipCurve(work * frame.softclipInScale) * frame.softclipOutScale;
    return frame.softclipDry * work + frame.softclipAmount * clipped;
}

// Without inter-sample-peak detection the detection value is the smallest magnitude among the
// tap and its two neighbours, so one- and two-sample excursions are left to the output clamp.
// With it, the larger of the tap and the half-way estimate towards the next newer sample.
// With twoFrames, the second frame's window is the first's plus one slot.
template <bool twoFrames>
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::detectionStage(const StereoVector* window,
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
VARNHOLT_ENGINE_INLINE float LimiterEngine::rmsLevellerStage(FrameState& s, float squareLeft,
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
    {
        return std::sqrt(frame.rmsThresholdPower / s.rmsEnvelope);
    }
    return 1.0f;
}

// Held, smoothed, released and averaged excess e of the detection value over full scale per
// channel; returns the envelope.
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::envelopeStage(FrameState& s, StereoVector e)
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
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::linkedGains(StereoVector envelope) const
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
    {
        return unity;
    }
    return select(limiting, unity / (envelope + 1.0f), unity);
}

VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::clampToFullScale(StereoVector v)
{
    return stereo::maxOf(stereo::splat(-1.0f), stereo::minOf(stereo::splat(1.0f), v));
}

// The gained sample clamped to full scale, then trimmed.
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::clampedOutput(StereoVector gained) const
{
    return clampToFullScale(gained) * frame.outputGain;
}

VARNHOLT_ENGINE_INLINE void LimiterEngine::outputStage(FrameState& s, RandomGenerator& rng,
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
VARNHOLT_ENGINE_INLINE void LimiterEngine::meterStage(FrameState& s)
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

VARNHOLT_ENGINE_INLINE void LimiterEngine::publishLevelMeters(const FrameState& s)
{
    shownPeak.publish(s.peakMeter);
    shownRms.publish(s.rmsMeter);
    shownPeakHold.publish(s.peakHold);
    shownPower.publish(s.power);
    shownCrossPower.publish(s.power[2]);
}

VARNHOLT_ENGINE_INLINE void LimiterEngine::publishGains(const FrameGains& gains)
{
    shownLimiterGain.publish(gains.limiter);
    shownRmsGain.store(gains.leveller, std::memory_order_relaxed);
}

// Bypass keeps the 512-frame delay and the input noise but no gain, clamp or dither; the
// correlation meter follows the bypassed signal.
VARNHOLT_ENGINE_INLINE void LimiterEngine::bypassFrame(StereoVector input)
{
    delay.write(input + noise.uniformPair());
    state.out = delay.readOldest();
    updateCorrelationStatistics(state, state.out);
    meterStage(state);
    publishLevelMeters(state);
}

#undef VARNHOLT_ENGINE_INLINE
