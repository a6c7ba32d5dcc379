#include "engine/LoudnessHistogram.h"

#include "engine/LoudnessConstants.h"

#include <algorithm>
#include <cmath>

namespace lc = loudness_constants;

namespace
{
constexpr int kBinCount =
    static_cast<int>((lc::kHistogramTopLufs - lc::kAbsoluteGateLufs) / lc::kHistogramBinLu + 0.5);

int binOf(double lufs)
{
    const int bin = static_cast<int>((lufs - lc::kAbsoluteGateLufs) / lc::kHistogramBinLu);
    return std::min(bin, kBinCount - 1);
}

double centreOf(int bin)
{
    return lc::kAbsoluteGateLufs + (bin + 0.5) * lc::kHistogramBinLu;
}
} // namespace

double loudnessOfMeanSquare(double meanSquare)
{
    return meanSquare > 0.0 ? lc::kLoudnessOffsetDb + 10.0 * std::log10(meanSquare)
                            : static_cast<double>(lc::kSilenceLufs);
}

double meanSquareOfLoudness(double lufs)
{
    return std::pow(10.0, (lufs - lc::kLoudnessOffsetDb) / 10.0);
}

LoudnessHistogram::LoudnessHistogram() : bins(std::make_unique<Bin[]>(kBinCount))
{
    clear();
}

void LoudnessHistogram::clear()
{
    std::fill(bins.get(), bins.get() + kBinCount, Bin{0, 0.0});
    totalCount = 0;
    totalMeanSquare = 0.0;
}

void LoudnessHistogram::add(double meanSquare)
{
    const double lufs = loudnessOfMeanSquare(meanSquare);
    if (lufs < lc::kAbsoluteGateLufs)
        return;
    Bin& bin = bins[binOf(lufs)];
    ++bin.count;
    bin.meanSquareSum += meanSquare;
    ++totalCount;
    totalMeanSquare += meanSquare;
}

int LoudnessHistogram::firstGatedBin(double relativeGateLu, std::uint64_t& gatedCount) const
{
    const double gateLufs =
        loudnessOfMeanSquare(totalMeanSquare / static_cast<double>(totalCount)) + relativeGateLu;
    // A bin passes when its centre is above the gate: within half a bin, 0.005 LU.
    int first = 0;
    if (gateLufs > lc::kAbsoluteGateLufs)
    {
        const double bins = (gateLufs - lc::kAbsoluteGateLufs) / lc::kHistogramBinLu;
        first = std::min(kBinCount - 1, static_cast<int>(std::ceil(bins - 0.5)));
    }
    gatedCount = 0;
    for (int bin = first; bin < kBinCount; ++bin)
        gatedCount += bins[bin].count;
    return first;
}

double LoudnessHistogram::gatedLoudness(double relativeGateLu) const
{
    if (totalCount == 0)
        return lc::kSilenceLufs;
    std::uint64_t gatedCount = 0;
    const int first = firstGatedBin(relativeGateLu, gatedCount);
    double sum = 0.0;
    for (int bin = first; bin < kBinCount; ++bin)
        sum += bins[bin].meanSquareSum;
    return gatedCount > 0 ? loudnessOfMeanSquare(sum / static_cast<double>(gatedCount))
                          : static_cast<double>(lc::kSilenceLufs);
}

double LoudnessHistogram::spread(double relativeGateLu, double lowPercentile,
                                 double highPercentile) const
{
    if (totalCount == 0)
        return 0.0;
    std::uint64_t gatedCount = 0;
    const int first = firstGatedBin(relativeGateLu, gatedCount);
    if (gatedCount == 0)
        return 0.0;
    // The value at sorted position round((n - 1) * p), found by counting up the bins.
    const auto percentile = [&](double fraction)
    {
        const auto wanted = static_cast<std::uint64_t>(
            std::llround(static_cast<double>(gatedCount - 1) * fraction));
        std::uint64_t seen = 0;
        for (int bin = first; bin < kBinCount; ++bin)
        {
            seen += bins[bin].count;
            if (seen > wanted)
                return centreOf(bin);
        }
        return centreOf(kBinCount - 1);
    };
    return percentile(highPercentile) - percentile(lowPercentile);
}
