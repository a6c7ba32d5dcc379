#pragma once

// The run's vector vocabulary for the SSE2 baseline every x86-64 processor has
// (LimiterEngineRunBaseline.cpp): two frames' left/right pairs in 16 bytes, since 64-byte
// operations would be split up.

#include "engine/EngineConstants.h"
#include "engine/StereoVector.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace run_vectors::sse2
{
constexpr int kFramesPerVector = 2;
using Pairs = float __attribute__((vector_size(8 * kFramesPerVector)));
using PairsMask = std::int32_t __attribute__((vector_size(8 * kFramesPerVector)));
using PairsBits = std::uint32_t __attribute__((vector_size(8 * kFramesPerVector)));
using Singles = float __attribute__((vector_size(4 * kFramesPerVector)));

#include "engine/RunVectorsCommon.h"

// None: not every x86-64 processor has PREFETCHW, and a read prefetch would fetch the line
// shared, which spares a later store nothing.
constexpr bool kPrefetchesForWriting = false;
inline void prefetchForWriting(const float*) {}

// Lanes 0 and 1 of a StereoVector in every pair.
inline Pairs splatPair(StereoVector pair)
{
    return __builtin_shufflevector(pair, pair, 0, 1, 0, 1);
}

// Left and right from memory, repeated in lanes 2 and 3.
inline StereoVector loadPair(const float* from)
{
    return stereo::make(from[0], from[1]);
}

// Left and right exchanged in every pair.
inline Pairs swappedPairs(Pairs v)
{
    return __builtin_shufflevector(v, v, 1, 0, 3, 2);
}

inline Pairs leftInBoth(Pairs v)
{
    return __builtin_shufflevector(v, v, 0, 0, 2, 2);
}

inline Pairs rightInBoth(Pairs v)
{
    return __builtin_shufflevector(v, v, 1, 1, 3, 3);
}

inline PairsMask rightInBoth(PairsMask m)
{
    return __builtin_shufflevector(m, m, 1, 1, 3, 3);
}

inline Pairs interleave(Singles left, Singles right)
{
    return __builtin_shufflevector(left, right, 0, 2, 1, 3);
}

inline Pairs doubled(Singles v)
{
    return __builtin_shufflevector(v, v, 0, 0, 1, 1);
}

inline Singles lefts(Pairs v)
{
    return __builtin_shufflevector(v, v, 0, 2);
}

inline Singles rights(Pairs v)
{
    return __builtin_shufflevector(v, v, 1, 3);
}

inline PairsMask framesBelow(int frames)
{
    const PairsMask lane = {0, 0, 1, 1};
    return lane < frames;
}

inline bool allSet(PairsMask m)
{
    return stereo::allFourSet(m);
}

inline DrawsOfFrames drawsOfFrames(PairsBits first, PairsBits second, PairsBits third)
{
    return {__builtin_shufflevector(first, second, 0, 1, 6, 7),
            __builtin_shufflevector(first, third, 2, 3, 4, 5),
            __builtin_shufflevector(second, third, 0, 1, 6, 7)};
}
} // namespace run_vectors::sse2
