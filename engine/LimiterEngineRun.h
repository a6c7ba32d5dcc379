#pragma once

// The processing of one run of frames, stage by stage. Included only by the two files that
// compile it for a code set (LimiterEngineRunBaseline.cpp, LimiterEngineRunWide.cpp), each after
// naming its vector vocabulary `vectors` (RunVectorsSse2.h, RunVectorsAvx512.h) and its tag type
// Isa, both local to it; so each code set has functions of its own. The stages that feed nothing
// back take the whole run in vectors of several frames; the recursive ones go frame by frame in
// two loops, several chains to a loop, so the processor overlaps them. The arithmetic is the
// engine's, reassociated where that shortens a chain; where the code set has fused multiply-add,
// the compiler fuses a * b + c, which needs the steps inlined into the stage loops.
//
// Stage           reads                           writes                   runs
// takeDraws       draws                           noiseDraws, dither       with the quantiser
// inputStage      host input, draws/noiseDraws    work (or the ring)       always
// widthStage      work                            work                     correlation limiter on
// softclipStage   work                            work                     softclip on
// ringStage       work                            ring                     unless input wrote it
// detectionStage  ring                            detected, tapPowerFresh  always
// envelopeStage   detected, tapPowerFresh         envelope, leveller       always
// gainStage       envelope, leveller, ring,       limiterGains, output     always; host output
//                 dither (with the quantiser)     (with the quantiser      without quantiser
//                                                 in its steps), dither
// prefetchLoudnessRing: the loudness ring's lines, fetched for writing   measuring; AVX-512 set
// meterStage      output, dither, work            output (quantised)       always
// outputStage     output                          host output              with the quantiser

#include "engine/LimiterEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#define VARNHOLT_ENGINE_INLINE inline __attribute__((always_inline))

template <typename Isa>
void LimiterEngine::runStages(const float* inLeft, const float* inRight, float* outLeft,
                              float* outRight, int frames)
{
    const int taken = bypassActive || !frame.quantising ? frames : 3 * frames;
    drawForRun<Isa>(taken);
    if (bypassActive)
    {
        bypassRun<Isa>(inLeft, inRight, outLeft, outRight, frames);
        keepLeftOverDraws<Isa>(taken);
        return;
    }
    takeDraws<Isa>(frames);
    // Where no stage changes the signal on its way to the ring and the run's whole vectors fit
    // before the ring's end, the input stage writes the ring, both copies, itself. The spare
    // frames of a last vector land on frames more than 512 old, which nothing reads any more,
    // and the next run writes them again.
    constexpr int framesPerVector = vectors::kFramesPerVector;
    const int vectorFrames = (frames + framesPerVector - 1) / framesPerVector * framesPerVector;
    const bool straightToRing =
        !frame.correlationLimiterOn && !frame.softclipOn && ringNext + vectorFrames <= kRingFrames;
    float* const work = straightToRing ? ring.get() + 2 * ringNext : run.work;
    inputStage<Isa>(inLeft, inRight, work, straightToRing, frames);
    if (frame.correlationLimiterOn)
        widthStage<Isa>(frames);
    if (frame.softclipOn)
        softclipStage<Isa>(frames);
    if (!straightToRing)
        ringStage<Isa>(frames);
    const float loudest = detectionStage<Isa>(frames);
    envelopeStage<Isa>(loudest, frames);
    gainStage<Isa>(outLeft, outRight, frames);
    if (vectors::kPrefetchesForWriting && loudnessMeasured)
        prefetchLoudnessRing<Isa>(frames);
    if (frame.quantising)
        meterStage<Isa, true>(work, frames);
    else
        meterStage<Isa, false>(work, frames);
    if (frame.quantising)
        outputStage<Isa>(outLeft, outRight, frames);
    keepLeftOverDraws<Isa>(taken);
    ringNext = (ringNext + frames) & (kRingFrames - 1);
    const int last = frames - 1;
    publishLevelMeters(state);
    publishGains({vectors::loadPair(run.limiterGains + 2 * last), run.leveller[last]});
}

// Bypass keeps the 512-frame delay and the input noise but no gain, clamp or dither; the
// correlation meter follows the bypassed signal.
template <typename Isa>
void LimiterEngine::bypassRun(const float* inLeft, const float* inRight, float* outLeft,
                              float* outRight, int frames)
{
    FrameState s = state;
    for (int i = 0; i < frames; ++i)
    {
        const RandomGenerator::Lanes drawn{draws[2 * i], draws[2 * i + 1]};
        const StereoVector input = boundInput<Isa>(stereo::make(inLeft[i], inRight[i]));
        writeRing<Isa>(ringNext + i, input + noise.uniformPairOf(drawn));
        s.out = ringPair<Isa>(ringNext + i, 0);
        updateCorrelationStatistics<Isa, true>(s, s.out);
        meterStep<Isa>(s, s.out);
        outLeft[i] = s.out[0];
        outRight[i] = s.out[1];
    }
    ringNext = (ringNext + frames) & (kRingFrames - 1);
    state = s;
    publishLevelMeters(state);
}

// The run's draws, whole generator steps at a time after those the last run left over.
template <typename Isa> VARNHOLT_ENGINE_INLINE void LimiterEngine::drawForRun(int taken)
{
    // A copy keeps the streams in registers: the buffer the steps are written to could alias
    // the engine's own.
    RandomGenerator::Streams streams = random.streams();
    int drawn = drawsLeftOver;
    for (; drawn < taken; drawn += RandomGenerator::kDrawsPerStep)
        RandomGenerator::drawStep(streams, draws + 2 * drawn);
    random.streams() = streams;
    drawsLeftOver = drawn - taken;
}

// What the run left over, fewer than a step's worth, to the start for the next run (a whole
// step's worth is copied: the buffer holds that much beyond any run).
template <typename Isa> VARNHOLT_ENGINE_INLINE void LimiterEngine::keepLeftOverDraws(int taken)
{
    std::memmove(draws, draws + 2 * taken, sizeof(std::uint32_t) * RandomGenerator::kValuesPerStep);
}

// With dither, each frame takes three draws, noise, left, right: the noise draws apart for the
// input stage, and the dither in steps. Without, the input stage reads the draws as they are.
// The buffer holds enough beyond the run for a whole vector at its end.
template <typename Isa> VARNHOLT_ENGINE_INLINE void LimiterEngine::takeDraws(int frames)
{
    using namespace vectors;
    if (!frame.quantising)
        return;
    const Pairs amplitude = splat(dither.getAmplitude());
    for (int i = 0; i < frames; i += kFramesPerVector)
    {
        const std::uint32_t* const frameDraws = draws + 6 * i;
        const PairsBits first = load<PairsBits>(frameDraws);
        const PairsBits second = load<PairsBits>(frameDraws + 2 * kFramesPerVector);
        const PairsBits third = load<PairsBits>(frameDraws + 4 * kFramesPerVector);
        const DrawsOfFrames sorted = drawsOfFrames(first, second, third);
        store(run.noiseDraws + 2 * i, sorted.noise);
        // Both uniform values of a channel, then each pair's mean, in the left lanes for the
        // left channel and in the right lanes for the right.
        const Pairs left = uniformSteps(sorted.left) * amplitude;
        const Pairs right = uniformSteps(sorted.right) * amplitude;
        const Pairs triangular =
            select(leftLanes(), left + swappedPairs(left), right + swappedPairs(right)) * 0.5f;
        store(run.dither + 2 * i, triangular);
    }
}

// Bounded input times the drive plus the noise at -160 dB that keeps every recursive state away
// from denormals; without the correlation limiter also the stereo image. Into `work`, and with
// `bothRingCopies` (work being the run's place in the ring) also into the ring's second copy.
template <typename Isa>
VARNHOLT_ENGINE_INLINE void LimiterEngine::inputStage(const float* inLeft, const float* inRight,
                                                      float* work, bool bothRingCopies, int frames)
{
    using namespace vectors;
    const Pairs gain = splatPair(frame.inputGain);
    const Pairs sideGain = splatPair(frame.signedSideGain);
    const Pairs noiseAmplitude = splat(noise.getAmplitude());
    const bool imaging = !frame.correlationLimiterOn;
    const std::uint32_t* const noiseDraws = frame.quantising ? run.noiseDraws : draws;
    for (int i = 0; i < frames; i += kFramesPerVector)
    {
        Singles left;
        Singles right;
        if (i + kFramesPerVector <= frames)
        {
            left = load<Singles>(inLeft + i);
            right = load<Singles>(inRight + i);
        }
        else
        {
            // Lane by lane: small stores read back as one vector would stall the load.
            left = Singles{};
            right = Singles{};
            for (int k = 0; k < frames - i; ++k)
            {
                left[k] = inLeft[i + k];
                right[k] = inRight[i + k];
            }
        }
        Pairs input = interleave(left, right);
        if (__builtin_expect(!allSet(abs(input) <= engine_constants::kInputLimit), 0))
        {
            for (int lane = 0; lane < 2 * kFramesPerVector; ++lane)
                input[lane] = boundSample(input[lane]);
        }
        Pairs signal =
            uniformSteps(load<PairsBits>(noiseDraws + 2 * i)) * noiseAmplitude + input * gain;
        if (imaging)
        {
            signal = (leftInBoth(signal) + rightInBoth(signal)) * 0.5f +
                     sideGain * (leftInBoth(signal) - rightInBoth(signal));
        }
        store(work + 2 * i, signal);
        if (bothRingCopies)
            store(work + 2 * (i + kRingFrames), signal);
    }
}

// The stereo width with the correlation limiter, whose narrowing follows the statistics of the
// frames before: frame by frame.
template <typename Isa> VARNHOLT_ENGINE_INLINE void LimiterEngine::widthStage(int frames)
{
    using namespace vectors;
    FrameState s = state;
    for (int i = 0; i < frames; ++i)
        storePair(run.work + 2 * i, stereoWidthStep<Isa>(s, loadPair(run.work + 2 * i)));
    state = s;
}

template <typename Isa> VARNHOLT_ENGINE_INLINE void LimiterEngine::softclipStage(int frames)
{
    using namespace vectors;
    const Pairs inScale = splatPair(frame.softclipInScale);
    const Pairs outScale = splatPair(frame.softclipOutScale);
    const Pairs dry = splatPair(frame.softclipDry);
    const Pairs amount = splatPair(frame.softclipAmount);
    Pairs peak = splat(0.0f);
    for (int i = 0; i < frames; i += kFramesPerVector)
    {
        const Pairs work = load<Pairs>(run.work + 2 * i);
        peak = select(framesBelow(frames - i), maxOf(peak, abs(work)), peak);
        const Pairs clipped = softclipCurve(work * inScale) * outScale;
        store(run.work + 2 * i, dry * work + amount * clipped);
    }
    float peakLeft = 0.0f;
    float peakRight = 0.0f;
    for (int lane = 0; lane < 2 * kFramesPerVector; lane += 2)
    {
        peakLeft = maxOfFloats(peakLeft, peak[lane]);
        peakRight = maxOfFloats(peakRight, peak[lane + 1]);
    }
    raisePeak(softclipPeakLeft, peakLeft);
    raisePeak(softclipPeakRight, peakRight);
}

// The run's frames into the ring, both copies, in at most two pieces each.
template <typename Isa> VARNHOLT_ENGINE_INLINE void LimiterEngine::ringStage(int frames)
{
    const int first = std::min(frames, kRingFrames - ringNext);
    for (const int copy : {0, kRingFrames})
    {
        std::memcpy(ring.get() + 2 * (ringNext + copy), run.work, 2 * sizeof(float) * first);
        std::memcpy(ring.get() + 2 * copy, run.work + 2 * first,
                    2 * sizeof(float) * (frames - first));
    }
}

// Without inter-sample-peak detection the detection value is the smallest magnitude among the
// tap and its two neighbours, so one- and two-sample excursions are left to the output clamp.
// With it, the larger of the tap and the half-way estimate towards the next newer sample. Also
// the mean of the tap's squares at the weight the leveller's mean square takes it. Returns the
// largest detection magnitude of the run, both channels.
template <typename Isa> VARNHOLT_ENGINE_INLINE float LimiterEngine::detectionStage(int frames)
{
    using namespace vectors;
    const Pairs eps = splat(engine_constants::kEpsilon);
    const Pairs meanSquareFresh = splat(rate.meanSquareFresh);
    Pairs loudest = splat(0.0f);
    for (int i = 0; i < frames; i += kFramesPerVector)
    {
        const float* const window = oldestOf<Isa>(ringNext + i);
        const Pairs tap = load<Pairs>(window + 2 * rate.tapAtLookAhead);
        Pairs detected;
        if (frame.interSamplePeak)
        {
            Pairs estimate = Pairs{};
            for (int t = 0; t < engine_constants::kInterpolatorTapCount; ++t)
            {
                estimate = engine_constants::kInterpolatorTaps[t] *
                               load<Pairs>(window + 2 * rate.interpolatorTaps[t]) +
                           estimate;
            }
            detected = select(abs(tap) < abs(estimate), estimate, tap);
        }
        else
        {
            const Pairs older = load<Pairs>(window + 2 * rate.tapBeforeLookAhead);
            const Pairs v = select(abs(tap) > abs(older), older, tap);
            const Pairs newer = load<Pairs>(window + 2 * rate.tapAfterLookAhead);
            detected = select(abs(v) > abs(newer), newer, v);
        }
        store(run.detected + 2 * i, detected);
        loudest = select(framesBelow(frames - i), maxOf(loudest, abs(detected)), loudest);
        const Pairs squares = tap * tap;
        store(run.tapPowerFresh + 2 * i,
              ((squares + swappedPairs(squares)) * 0.5f + eps) * meanSquareFresh);
    }
    float largest = 0.0f;
    for (int lane = 0; lane < 2 * kFramesPerVector; ++lane)
        largest = maxOfFloats(largest, loudest[lane]);
    return largest;
}

// The leveller and the peak envelopes: recursive chains in one loop. Once the envelopes rest
// (see below) and no detection value of the run can raise them, every frame would repeat the
// same step: the leveller runs alone and the envelope holds. The leveller's gain is at most 1,
// so the largest detection magnitude bounds every frame's excess.
template <typename Isa>
VARNHOLT_ENGINE_INLINE void LimiterEngine::envelopeStage(float loudest, int frames)
{
    using namespace vectors;
    FrameState s = state;
    const bool underExcess = stereo::allFourSet(stereo::splat(loudest - 1.0f) <= s.excess);
    if (envelopesResting && underExcess)
    {
        ++restingRuns;
        for (int i = 0; i < frames; ++i)
            run.leveller[i] = rmsLevellerStep<Isa>(s, run.tapPowerFresh[2 * i]);
        const Pairs held = splatPair(restingEnvelope);
        for (int i = 0; i < frames; i += kFramesPerVector)
            store(run.envelope + 2 * i, held);
        state = s;
        return;
    }
    const FrameState before = s;
    for (int i = 0; i < frames; ++i)
    {
        const float levellerGain = rmsLevellerStep<Isa>(s, run.tapPowerFresh[2 * i]);
        run.leveller[i] = levellerGain;
        // Times 1 where the leveller rests is the same as leaving it, one product fewer.
        StereoVector detected = loadPair(run.detected + 2 * i);
        if (levellerGain != 1.0f)
            detected = detected * levellerGain;
        storePair(run.envelope + 2 * i, envelopeStep<Isa>(s, stereo::abs(detected) - 1.0f));
    }
    state = s;
    // Without a raise, each envelope moves one way or stays (the release at most dips below the
    // smoothed peak once and returns to it), so a run that ends where it began stayed there every
    // frame: that state is a fixed point of the loop's own arithmetic, fused or not.
    envelopesResting = restSkipAllowed && underExcess && sameEnvelopes<Isa>(before, s);
    restingEnvelope = loadPair(run.envelope + 2 * (frames - 1));
}

// Every bit of the peak envelopes' states the same in both.
template <typename Isa>
VARNHOLT_ENGINE_INLINE bool LimiterEngine::sameEnvelopes(const FrameState& a, const FrameState& b)
{
    const auto bits = [](StereoVector v) { return reinterpret_cast<StereoMask>(v); };
    return stereo::allFourSet(
        (bits(a.excess) == bits(b.excess)) & (bits(a.smooth) == bits(b.smooth)) &
        (bits(a.release) == bits(b.release)) & (bits(a.average) == bits(b.average)));
}

// The stereo link, the limiter gains, and the gained sample clamped to full scale, then trimmed;
// without the quantiser that is the output, written out here as the host's channels; with it,
// `output` and `dither` take it and it plus the dither, in the quantiser's steps. (The run's
// inputs were all read by now, so they may be the same buffers.)
template <typename Isa>
VARNHOLT_ENGINE_INLINE void LimiterEngine::gainStage(float* outLeft, float* outRight, int frames)
{
    using namespace vectors;
    const Pairs link = splatPair(frame.stereoLink);
    const Pairs trim = splatPair(frame.outputGain);
    const Pairs unity = splat(1.0f);
    const PairsMask leftOnly = leftLanes();
    const Pairs steps = splat(quantiser.stepsPerFullScale());
    for (int i = 0; i < frames; i += kFramesPerVector)
    {
        Pairs envelope = load<Pairs>(run.envelope + 2 * i);
        // The right channel is raised to link * left if below it; otherwise the left to
        // link * right if below that.
        const Pairs linked = link * swappedPairs(envelope);
        const PairsMask below = envelope < linked;
        const PairsMask raise = (below & ~rightInBoth(below) & leftOnly) | (below & ~leftOnly);
        envelope = select(raise, linked, envelope);
        // Below twice the rest value the gain is exactly 1, so a quiet signal passes untouched.
        const Pairs gains =
            select(envelope > 2.0f * engine_constants::kEpsilon, unity / (envelope + 1.0f), unity);
        store(run.limiterGains + 2 * i, gains);
        const Pairs oldest = load<Pairs>(oldestOf<Isa>(ringNext + i));
        const Pairs leveller = doubled(load<Singles>(run.leveller + i));
        const Pairs gained = oldest * leveller * gains;
        const Pairs output = maxOf(splat(-1.0f), minOf(unity, gained)) * trim;
        if (frame.quantising)
        {
            // The quantiser takes the output in its steps and with the dither added: worked
            // out here, a vector at a time, they leave its frame loop only the feedback to
            // wait on.
            const Pairs scaled = output * steps;
            store(run.output + 2 * i, scaled);
            store(run.dither + 2 * i, scaled + load<Pairs>(run.dither + 2 * i));
            continue;
        }
        store(run.output + 2 * i, output);
        if (i + kFramesPerVector <= frames)
        {
            store(outLeft + i, lefts(output));
            store(outRight + i, rights(output));
        }
    }
    if (!frame.quantising)
    {
        for (int i = frames - frames % kFramesPerVector; i < frames; ++i)
        {
            outLeft[i] = run.output[2 * i];
            outRight[i] = run.output[2 * i + 1];
        }
    }
}

// The loudness ring's lines this run's output will take, asked for before the meter stage so
// they arrive while its recursive loop computes: the measuring thread has read them since they
// were last written, and the copy after the run would otherwise wait for that core to give up
// each line (a 2 KB copy into lines the other core has read takes about twice as long).
template <typename Isa>
VARNHOLT_ENGINE_INLINE void LimiterEngine::prefetchLoudnessRing(int frames)
{
    const std::uint64_t next = loudness.writtenFrames();
    for (int ahead = 0; ahead < frames; ahead += engine_constants::kCacheLineFloats)
    {
        const LoudnessFeed::RingSlot slot = loudness.slotOf(next + ahead);
        vectors::prefetchForWriting(slot.left);
        vectors::prefetchForWriting(slot.right);
    }
    // The ring is not line-aligned: the last frame's line may start past the last step.
    const LoudnessFeed::RingSlot last = loudness.slotOf(next + frames - 1);
    vectors::prefetchForWriting(last.left);
    vectors::prefetchForWriting(last.right);
}

// The quantiser if on, the meters, and without the correlation limiter the correlation
// statistics of `work` (the input stage's signal), which feed nothing else then: up to three
// recursive chains in one loop, which the processor overlaps.
template <typename Isa, bool quantising>
VARNHOLT_ENGINE_INLINE void LimiterEngine::meterStage(const float* work, int frames)
{
    using namespace vectors;
    FrameState s = state;
    Quantiser q = quantiser;
    const bool statistics = !frame.correlationLimiterOn;
    for (int i = 0; i < frames; ++i)
    {
        if (quantising)
        {
            storePair(run.output + 2 * i,
                      clampToFullScale<Isa>(
                          q.process(loadPair(run.output + 2 * i), loadPair(run.dither + 2 * i))));
        }
        meterStep<Isa>(s, loadPair(run.output + 2 * i));
        if (statistics)
            updateCorrelationStatistics<Isa, true>(s, loadPair(work + 2 * i));
    }
    s.out = loadPair(run.output + 2 * (frames - 1));
    state = s;
    if (quantising)
        quantiser = q;
}

// With the quantiser, the quantised output as the host's channels.
template <typename Isa>
VARNHOLT_ENGINE_INLINE void LimiterEngine::outputStage(float* outLeft, float* outRight, int frames)
{
    using namespace vectors;
    int i = 0;
    for (; i + kFramesPerVector <= frames; i += kFramesPerVector)
    {
        const Pairs output = load<Pairs>(run.output + 2 * i);
        store(outLeft + i, lefts(output));
        store(outRight + i, rights(output));
    }
    for (; i < frames; ++i)
    {
        outLeft[i] = run.output[2 * i];
        outRight[i] = run.output[2 * i + 1];
    }
}

// The oldest of the 513 frames that frame f (counted as ringNext is) sees; the copy keeps the
// 513 and a vector beyond them unwrapped.
template <typename Isa>
VARNHOLT_ENGINE_INLINE const float* LimiterEngine::oldestOf(int frameIndex) const
{
    return ring.get() +
           2 * ((frameIndex - engine_constants::kDelayCapacityFrames) & (kRingFrames - 1));
}

// Frame f (counted as ringNext is) in both copies.
template <typename Isa>
VARNHOLT_ENGINE_INLINE void LimiterEngine::writeRing(int frameIndex, StereoVector pair)
{
    float* const slot = ring.get() + 2 * (frameIndex & (kRingFrames - 1));
    std::memcpy(slot, &pair, 2 * sizeof(float));
    std::memcpy(slot + 2 * kRingFrames, &pair, 2 * sizeof(float));
}

// Slot `tap` of the 513 frames that frame f sees, the oldest being slot 0.
template <typename Isa>
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::ringPair(int frameIndex, int tap) const
{
    return vectors::loadPair(oldestOf<Isa>(frameIndex) + 2 * tap);
}

// A broken upstream plug-in can send NaN or infinities, which would poison every recursive
// state for good; they become silence. Finite extremes are bounded so squares cannot overflow.
template <typename Isa>
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::boundInput(StereoVector input)
{
    const StereoMask inRange = stereo::abs(input) <= engine_constants::kInputLimit;
    if (__builtin_expect(stereo::bothSet(inRange), 1))
        return input;
    return stereo::make(vectors::boundSample(input[0]), vectors::boundSample(input[1]));
}

template <typename Isa>
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::stereoWidthStep(FrameState& s, StereoVector work)
{
    const StereoVector imaged = image<Isa>(work, frame.signedSideGain);
    updateCorrelationStatistics<Isa, false>(s, imaged);
    if (!frame.correlationLimiterOn)
        return imaged;
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
        return imaged;
    const float ratio = midWeighted / sideWeighted;
    const float narrowing = ratio >= 0.0f ? std::sqrt(ratio) : 0.0f;
    return image<Isa>(work, frame.signedSideGain * narrowing);
}

// Mid plus the difference times signedSideGain (the side gain on the left, its negation on the
// right).
template <typename Isa>
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::image(StereoVector work,
                                                         StereoVector signedSideGain)
{
    const StereoVector left = stereo::leftInBoth(work);
    const StereoVector right = stereo::rightInBoth(work);
    const StereoVector difference = left - right;
    const StereoVector mid = (left + right) * 0.5f;
    return mid + signedSideGain * difference;
}

// Powers of both channels and their cross power after the 800 Hz high-pass. Where they feed
// only the correlation meter, the filter takes its shorter chain, which sets the pace of the
// meter loop; where they steer the width, the order of the reference.
template <typename Isa, bool meterOnly>
VARNHOLT_ENGINE_INLINE void LimiterEngine::updateCorrelationStatistics(FrameState& s,
                                                                       StereoVector work)
{
    const StereoVector y =
        meterOnly ? correlationFilters.stepShortChain(work, s.correlationState1,
                                                      s.correlationState2)
                  : correlationFilters.step(work, s.correlationState1, s.correlationState2);
    // Lanes: ((1 - c) * yL) * yL, ((1 - c) * yR) * yR, ((1 - c) * yL) * yR twice; the weight
    // taken first leaves one product and one fused step.
    const StereoVector first = __builtin_shufflevector(y, y, 0, 1, 0, 0) * frame.correlationFresh;
    const StereoVector second = __builtin_shufflevector(y, y, 0, 1, 1, 1);
    s.power = frame.correlationCoef * s.power + first * second;
}

// One gain for both channels that holds the tracked mean square of the tap at the threshold;
// it also scales the detection values. Returns the gain, 1 at rest.
template <typename Isa>
VARNHOLT_ENGINE_INLINE float LimiterEngine::rmsLevellerStep(FrameState& s, float tapPowerFresh)
{
    // Each one-pole with its recursive product first, the one a fused multiply-add takes, so the
    // chain from one frame to the next is one operation.
    s.meanSquare = rate.meanSquareCoef * s.meanSquare + tapPowerFresh;
    const float attacked =
        frame.rmsAttackCoef * s.rmsAttackState + frame.rmsAttackFresh * s.meanSquare;
    s.rmsAttackState = attacked;
    const float released = s.rmsEnvelope * frame.rmsReleaseCoef;
    // A lane select, not a branch: rising and falling alternate at random with the audio.
    s.rmsEnvelope = stereo::selectGreater(attacked, s.rmsEnvelope, attacked, released);
    if (s.rmsEnvelope > frame.rmsThresholdPower)
        return std::sqrt(frame.rmsThresholdPower / s.rmsEnvelope);
    return 1.0f;
}

// Held, smoothed, released and averaged excess e of the detection value over full scale per
// channel; returns the envelope.
template <typename Isa>
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::envelopeStep(FrameState& s, StereoVector e)
{
    using stereo::selectGreater;
    const StereoVector eps = stereo::splat(engine_constants::kEpsilon);
    // The held excess decays (while above the rest value) unless the new one rises above it, and
    // where it rises the larger of the two is the new one: one blend after one product from one
    // frame to the next, where choosing the decay and then the rise took two blends in a row.
    const StereoVector rises = stereo::greaterMask(e, s.excess);
    const StereoVector decays = stereo::andNotOf(rises, stereo::greaterMask(s.excess, eps));
    s.excess =
        stereo::selectBySign(decays, s.excess * rate.peakHoldCoef, stereo::maxOf(e, s.excess));
    s.smooth = rate.peakSmoothCoef * s.smooth + rate.peakSmoothFreshNormalised * s.excess;
    s.release = selectGreater(s.release, s.smooth, s.release * frame.envelopeReleaseCoef, s.smooth);
    s.average =
        frame.envelopeHysteresisCoef * s.average + frame.envelopeHysteresisFresh * s.release;
    return stereo::maxOf(s.average * engine_constants::kHysteresisWeight, s.release);
}

template <typename Isa>
VARNHOLT_ENGINE_INLINE StereoVector LimiterEngine::clampToFullScale(StereoVector v)
{
    return stereo::maxOf(stereo::splat(-1.0f), stereo::minOf(stereo::splat(1.0f), v));
}

// Peak with decay, held peak with its countdown, and mean square, on the output. A hold that
// has just been set never expires in the same frame, and the hold lasts a positive number of
// frames, so whether the countdown ran out is known from the state before the frame: the
// frame's magnitude is compared, and the choices made, in one step each.
template <typename Isa>
VARNHOLT_ENGINE_INLINE void LimiterEngine::meterStep(FrameState& s, StereoVector output)
{
    using stereo::selectBySign;
    const StereoVector m = stereo::abs(output);
    // The countdown's sign bit tells whether it ran out.
    const StereoVector holdRanOut = reinterpret_cast<StereoVector>(s.holdCount);
    const StereoMask countdown = selectBySign(holdRanOut, rate.holdDurationFrames, s.holdCount - 1);
    const StereoVector decayed = s.peakMeter * rate.meterDecayCoef;
    const StereoVector rising = stereo::greaterMask(m, s.peakMeter);
    const StereoVector newHold = stereo::andOf(rising, stereo::greaterMask(m, s.peakHold));
    s.peakMeter = selectBySign(rising, m, decayed);
    s.holdCount = selectBySign(newHold, rate.holdDurationFrames - 1, countdown);
    s.peakHold = selectBySign(stereo::orOf(newHold, holdRanOut), m, s.peakHold);
    s.rmsMeter = rate.meterRmsCoef * s.rmsMeter + (rate.meterRmsFresh * output) * output;
}

#undef VARNHOLT_ENGINE_INLINE
