#include "ReferenceEngine.h"

#include "engine/BiquadFilter.h"
#include "engine/Coefficients.h"
#include "engine/EngineConstants.h"

#include <algorithm>
#include <cmath>

namespace ec = engine_constants;

namespace
{
double timeCoefficient(float seconds, float scale, float sampleRateHz)
{
    return onePoleCoefficient(scale * std::max(seconds, ec::kMinTimeSeconds), sampleRateHz);
}

int clampedTap(int frames)
{
    return std::clamp(frames, 0, ec::kDelayCapacityFrames - 1);
}

double softclipCurve(double x)
{
    if (x > 1.0)
        return 0.5;
    if (x <= -1.0)
        return -0.5;
    return x >= 0.0 ? x * (2.0 - x) * 0.5 : x * (x + 2.0) * 0.5;
}
} // namespace

ReferenceEngine::ReferenceEngine(const EngineSettings& settings)
    : set(settings), line(ec::kDelayCapacityFrames + 1, {0.0, 0.0})
{
    dither.setLevel(ec::kDitherLevelDb);
    const float fs = settings.sampleRateHz;
    meanSquareCoef = onePoleCoefficient(ec::kMeanSquareTimeSeconds, fs);
    meterDecayCoef = onePoleCoefficient(ec::kMeterDecayTimeSeconds, fs);
    meterRmsCoef = onePoleCoefficient(ec::kMeterRmsTimeSeconds, fs);
    holdDurationFrames = static_cast<int>(ec::kPeakHoldDurationSeconds * fs);
    peakSmoothCoef = onePoleCoefficient(ec::kPeakSmoothTimeSeconds, fs);
    peakHoldCoef = onePoleCoefficient(ec::kPeakHoldTimeSeconds, fs);
    peakNormalisation = peakNormalisationFor(ec::kPeakSmoothTimeSeconds, ec::kPeakHoldTimeSeconds);
    const int frames = lookAheadFramesFor(ec::kPeakSmoothTimeSeconds, ec::kPeakHoldTimeSeconds, fs);
    tapAt = clampedTap(frames);
    tapBefore = clampedTap(frames - 1);
    tapAfter = clampedTap(frames + 1);
    for (int t = 0; t < ec::kInterpolatorTapCount; ++t)
        interpolatorTaps[t] = clampedTap(frames + ec::kInterpolatorOldestOffsetFrames + t);
    const BiquadCoefficients c =
        designBiquad(fs, ec::kCorrelationFilterKind, ec::kCorrelationFilterFrequencyHz,
                     ec::kCorrelationFilterQ, ec::kCorrelationFilterGainDb);
    b0 = c.b0;
    b1 = c.b1;
    b2 = c.b2;
    a1 = c.a1;
    a2 = c.a2;
    for (int t = 0; t < ec::kShapingTapCount; ++t)
    {
        if (fs >= ec::kFirstOrderShapingSampleRateHz)
            shaping[t] = t == 0 ? 1.0 : 0.0;
        else if (fs >= ec::kShapingMinSampleRateHz)
            shaping[t] = ec::kShapingCoefficients[t];
    }
    const int bits = std::min(settings.ditherBits, ec::kMaxWordLengthBits);
    quantising = bits < ec::kMaxWordLengthBits;
    scale = std::ldexp(1.0, bits - 1);
    step = std::ldexp(1.0, 1 - bits);
    for (Channel& ch : channels)
        ch.excess = ch.smooth = ch.release = ch.average = ec::kEpsilon;
    power[0] = power[1] = power[2] = ec::kEpsilon;
    for (int c = 0; c < 2; ++c)
        peakMeter[c] = peakHold[c] = rmsMeter[c] = ec::kEpsilon;
    meanSquare = rmsAttackState = rmsEnvelope = ec::kEpsilon;
    apply(settings);
}

void ReferenceEngine::apply(const EngineSettings& settings)
{
    set = settings;
    const float fs = settings.sampleRateHz;
    inputGain = settings.inputGain;
    correlationCoef = timeCoefficient(settings.correlationTime, 0.5f, fs);
    envelopeReleaseCoef = timeCoefficient(settings.envelopeRelease, 1.0f, fs);
    envelopeHysteresisCoef = timeCoefficient(settings.envelopeHysteresis, 1.0f, fs);
    softclipInScale = 0.5f * decibelsToFactor(-0.05f, settings.softclipThresholdDb);
    softclipOutScale = 2.0f * decibelsToFactor(0.05f, settings.softclipThresholdDb);
    rmsAttackCoef = timeCoefficient(settings.rmsAttack, 0.5f, fs);
    rmsReleaseCoef = timeCoefficient(settings.rmsRelease, 0.5f, fs);
    rmsThresholdPower = decibelsToFactor(0.1f, settings.rmsThresholdDb);
}

double ReferenceEngine::triangular()
{
    const StereoVector pair = dither.uniformPair();
    return (double(pair[1]) + double(pair[0])) * 0.5;
}

std::array<double, 2> ReferenceEngine::process(float left, float right)
{
    constexpr double eps = ec::kEpsilon;
    const StereoVector noisePair = noise.uniformPair();
    const double ditherLeft = quantising ? triangular() : 0.0;
    const double ditherRight = quantising ? triangular() : 0.0;

    // Input, stereo image, correlation statistics and limiter.
    const double in[2] = {std::isfinite(left) ? left : 0.0, std::isfinite(right) ? right : 0.0};
    const double work[2] = {noisePair[0] + in[0] * inputGain, noisePair[1] + in[1] * inputGain};
    const double mid = (work[0] + work[1]) * 0.5;
    const double difference = work[0] - work[1];
    double side = set.sideGain;
    double image[2] = {mid + side * difference, mid - side * difference};
    for (int c = 0; c < 2; ++c)
    {
        Channel& ch = channels[c];
        const double y = b0 * image[c] + ch.correlationState1;
        ch.correlationState1 = b1 * image[c] - a1 * y + ch.correlationState2;
        ch.correlationState2 = b2 * image[c] - a2 * y;
        ch.filtered = y;
    }
    const double yl = channels[0].filtered;
    const double yr = channels[1].filtered;
    const double fresh = 1.0 - correlationCoef;
    power[0] = correlationCoef * power[0] + fresh * yl * yl;
    power[1] = correlationCoef * power[1] + fresh * yr * yr;
    power[2] = correlationCoef * power[2] + fresh * yl * yr;
    if (set.correlationThreshold > ec::kCorrelationLimiterOffThreshold)
    {
        const double midWeighted =
            (eps + 2.0 * power[2] + power[1] + power[0]) * (1.0 - double(set.correlationThreshold));
        const double sideWeighted =
            (eps + power[1] + power[0] - 2.0 * power[2]) * (1.0 + double(set.correlationThreshold));
        if (midWeighted < sideWeighted)
        {
            const double ratio = midWeighted / sideWeighted;
            side *= ratio >= 0.0 ? std::sqrt(ratio) : 0.0;
            image[0] = mid + side * difference;
            image[1] = mid - side * difference;
        }
    }

    // Soft clipper, then the look-ahead line.
    if (set.softclipAmount > ec::kSoftclipMinAmount)
    {
        const double amount = set.softclipAmount;
        for (double& v : image)
            v = (1.0 - amount) * v + amount * softclipCurve(v * softclipInScale) * softclipOutScale;
    }
    const int size = static_cast<int>(line.size());
    line[oldest] = {image[0], image[1]};
    oldest = (oldest + 1) % size;
    const auto window = [&](int k) { return line[(oldest + k) % size]; };

    // Detection, leveller, envelopes, link, gains.
    const std::array<double, 2> tap = window(tapAt);
    std::array<double, 2> detected;
    for (int c = 0; c < 2; ++c)
    {
        if (set.interSamplePeak)
        {
            double estimate = 0.0;
            for (int t = 0; t < ec::kInterpolatorTapCount; ++t)
                estimate += double(ec::kInterpolatorTaps[t]) * window(interpolatorTaps[t])[c];
            detected[c] = std::fabs(tap[c]) < std::fabs(estimate) ? estimate : tap[c];
        }
        else
        {
            const double older = window(tapBefore)[c];
            const double newer = window(tapAfter)[c];
            double v = std::fabs(tap[c]) > std::fabs(older) ? older : tap[c];
            detected[c] = std::fabs(v) > std::fabs(newer) ? newer : v;
        }
    }
    meanSquare = meanSquareCoef * meanSquare +
                 (1.0 - meanSquareCoef) * ((tap[0] * tap[0] + tap[1] * tap[1]) * 0.5 + eps);
    rmsAttackState = rmsAttackCoef * rmsAttackState + (1.0 - rmsAttackCoef) * meanSquare;
    rmsEnvelope = rmsAttackState > rmsEnvelope ? rmsAttackState : rmsEnvelope * rmsReleaseCoef;
    const double leveller =
        rmsEnvelope > rmsThresholdPower ? std::sqrt(rmsThresholdPower / rmsEnvelope) : 1.0;
    double envelope[2];
    for (int c = 0; c < 2; ++c)
    {
        Channel& ch = channels[c];
        const double e = std::fabs(detected[c] * leveller) - 1.0;
        const double decayed = ch.excess > eps ? ch.excess * peakHoldCoef : ch.excess;
        ch.excess = e > ch.excess ? e : decayed;
        ch.smooth =
            peakSmoothCoef * ch.smooth + (1.0 - peakSmoothCoef) * ch.excess * peakNormalisation;
        ch.release = ch.release > ch.smooth ? ch.release * envelopeReleaseCoef : ch.smooth;
        ch.average =
            envelopeHysteresisCoef * ch.average + (1.0 - envelopeHysteresisCoef) * ch.release;
        envelope[c] = std::max(ch.average * ec::kHysteresisWeight, ch.release);
    }
    const double link = set.stereoLink;
    if (envelope[1] < link * envelope[0])
        envelope[1] = link * envelope[0];
    else if (envelope[0] < link * envelope[1])
        envelope[0] = link * envelope[1];

    // Output: gained, clamped, trimmed, quantised.
    const std::array<double, 2> delayed = window(0);
    std::array<double, 2> out;
    for (int c = 0; c < 2; ++c)
    {
        const double gain = envelope[c] > 2.0 * eps ? 1.0 / (envelope[c] + 1.0) : 1.0;
        out[c] = std::clamp(delayed[c] * leveller * gain, -1.0, 1.0) * double(set.outputGain);
        if (quantising)
        {
            Channel& ch = channels[c];
            double feedback = 0.0;
            for (int t = 0; t < ec::kShapingTapCount; ++t)
                feedback += shaping[t] * ch.errors[t];
            const double v = out[c] * scale - feedback;
            const double s = v + (c == 0 ? ditherLeft : ditherRight);
            const double q = std::trunc(s + (s > 0.0 ? 0.5 : -0.5));
            for (int t = ec::kShapingTapCount - 1; t > 0; --t)
                ch.errors[t] = ch.errors[t - 1];
            ch.errors[0] = q - v;
            out[c] = std::clamp(q * step, -1.0, 1.0);
        }
    }
    meterStep(out);
    return out;
}

void ReferenceEngine::meterStep(const std::array<double, 2>& out)
{
    for (int c = 0; c < 2; ++c)
    {
        const double m = std::fabs(out[c]);
        const bool ranOut = holdCount[c] < 0;
        const bool rising = m > peakMeter[c];
        const bool newHold = rising && m > peakHold[c];
        peakMeter[c] = rising ? m : peakMeter[c] * meterDecayCoef;
        holdCount[c] = newHold ? holdDurationFrames - 1
                               : (ranOut ? holdDurationFrames : holdCount[c] - 1);
        if (newHold || ranOut)
            peakHold[c] = m;
        rmsMeter[c] = meterRmsCoef * rmsMeter[c] + (1.0 - meterRmsCoef) * out[c] * out[c];
    }
}

ReferenceMeters ReferenceEngine::meters() const
{
    constexpr double eps = ec::kEpsilon;
    const double rho = power[2] / std::sqrt((eps + power[1]) * (eps + power[0]));
    return {{peakMeter[0], peakMeter[1]},
            {peakHold[0], peakHold[1]},
            {std::sqrt(rmsMeter[0]), std::sqrt(rmsMeter[1])},
            std::max(rho, double(set.correlationThreshold))};
}
