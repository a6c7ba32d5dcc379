// What the hardening suites add to the shared host: a fixed seed, the library kept loaded as
// hosts keep it, stereo blocks of noise and the process's resident memory.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <random>
#include <vector>

#include "tests/support/HostedEffect.h"
#include "tests/support/TestSignals.h"

// Fixed seed, so a failure can be replayed.
constexpr std::uint32_t kHardeningSeed = 20240611u;
constexpr VstInt32 kBypassIndex = 2;
constexpr VstInt32 kDitheringIndex = 16;
// The highest "Dithering" menu position (8 bits).
constexpr float kLargestDitheringPosition = 6.0f;

// The library stays loaded for the whole test process, as hosts keep it, however often the
// suites create and close instances.
inline const bool kLibraryKeptLoaded = (PluginLibrary::keepLoaded(), true);

// Two channels of samples, with the channel pointer array the process entries take.
template <typename Sample> struct StereoBlock
{
    explicit StereoBlock(std::size_t frames) : left(frames), right(frames) {}
    std::vector<Sample> left;
    std::vector<Sample> right;
    Sample* channels[2] = {left.data(), right.data()};
    std::size_t frames() const { return left.size(); }

    // The first frames (all by default) of both channels noise of the given peak.
    void fillNoise(std::mt19937& random, float peak, std::size_t count = SIZE_MAX)
    {
        ::fillNoise(random, peak, left.data(), right.data(), std::min(count, frames()));
    }
    // The largest magnitude in the first frames (all by default); infinity if any sample is
    // not finite.
    double largestMagnitude(std::size_t count = SIZE_MAX) const
    {
        double largest = 0.0;
        for (std::size_t i = 0; i < std::min(count, frames()); ++i)
        {
            for (Sample sample : {left[i], right[i]})
            {
                if (!std::isfinite(sample))
                    return INFINITY;
                largest = std::max(largest, std::fabs(static_cast<double>(sample)));
            }
        }
        return largest;
    }
};

// The process's resident memory now, in bytes.
inline long residentBytes()
{
    long sizePages = 0;
    long residentPages = 0;
    std::ifstream("/proc/self/statm") >> sizePages >> residentPages;
    return residentPages * sysconf(_SC_PAGESIZE);
}
