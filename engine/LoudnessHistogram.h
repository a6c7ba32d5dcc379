#pragma once

#include <cstdint>
#include <memory>

// Loudness values of gating blocks (or short-term windows) above the absolute gate, kept as
// counts and summed mean squares in 0.01 LU bins: a fixed size however long the programme, and
// nothing allocated after construction. The thread that measures owns it.
class LoudnessHistogram
{
  public:
    // Allocates the bins, all empty.
    LoudnessHistogram();

    void clear();
    // A block's mean square (channels summed); blocks under the absolute gate are left out.
    void add(double meanSquare);
    // The loudness of the blocks at or above relativeGateLu below the loudness of all blocks;
    // the silence figure when there are none.
    double gatedLoudness(double relativeGateLu) const;
    // The spread in LU between two percentiles (0..1) of the blocks that pass the relative
    // gate, as EBU Tech 3342 defines the loudness range; 0 when none pass.
    double spread(double relativeGateLu, double lowPercentile, double highPercentile) const;

  private:
    struct Bin
    {
        std::uint64_t count;
        double meanSquareSum;
    };
    // The first bin whose blocks pass relativeGateLu below all blocks' loudness, and how many
    // blocks there are from it on.
    int firstGatedBin(double relativeGateLu, std::uint64_t& gatedCount) const;

    std::unique_ptr<Bin[]> bins;
    std::uint64_t totalCount = 0;
    double totalMeanSquare = 0.0;
};

// Loudness in LUFS of a mean square summed over channels, and back.
double loudnessOfMeanSquare(double meanSquare);
double meanSquareOfLoudness(double lufs);
