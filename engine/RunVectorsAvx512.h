#pragma once

// The run's vector vocabulary for processors with AVX-512 (LimiterEngineRunWide.cpp): eight
// frames' left/right pairs in 64 bytes.

#if !defined(__AVX512F__)
#error "RunVectorsAvx512.h belongs to the code set compiled with AVX-512"
#endif

#include "engine/EngineConstants.h"
#include "engine/StereoVector.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <immintrin.h>

namespace run_vectors::avx512
{
constexpr int kFramesPerVector = 8;
using Pairs = float __attribute__((vector_size(8 * kFramesPerVector)));
using PairsMask = std::int32_t __attribute__((vector_size(8 * kFramesPerVector)));
using PairsBits = std::uint32_t __attribute__((vector_size(8 * kFramesPerVector)));
using Singles = float __attribute__((vector_size(4 * kFramesPerVector)));

#include "engine/RunVectorsCommon.h"

// Fetches the line for writing (PREFETCHW, which every processor with AVX-512 has): the line
// arrives owned, so a later store need not wait for another core to give it up.
constexpr bool kPrefetchesForWriting = true;
inline void prefetchForWriting(const float* line)
{
    __builtin_prefetch(line, 1, 3);
}

// Lanes 0 and 1 of a StereoVector in every pair.
inline Pairs splatPair(StereoVector pair)
{
    return __builtin_shufflevector(pair, pair, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1);
}

// Left and right from memory, repeated in lanes 2 and 3.
inline StereoVector loadPair(const float* from)
{
    double pair;
    std::memcpy(&pair, from, sizeof pair);
    return _mm_castpd_ps(_mm_loaddup_pd(&pair));
}

// Left and right exchanged in every pair.
inline Pairs swappedPairs(Pairs v)
{
    return __builtin_shufflevector(v, v, 1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
}

inline Pairs leftInBoth(Pairs v)
{
    return __builtin_shufflevector(v, v, 0, 0, 2, 2, 4, 4, 6, 6, 8, 8, 10, 10, 12, 12, 14, 14);
}

inline Pairs rightInBoth(Pairs v)
{
    return __builtin_shufflevector(v, v, 1, 1, 3, 3, 5, 5, 7, 7, 9, 9, 11, 11, 13, 13, 15, 15);
}

inline PairsMask rightInBoth(PairsMask m)
{
    return __builtin_shufflevector(m, m, 1, 1, 3, 3, 5, 5, 7, 7, 9, 9, 11, 11, 13, 13, 15, 15);
}

// The lefts and the rights of kFramesPerVector frames as pairs.
inline Pairs interleave(Singles left, Singles right)
{
    return __builtin_shufflevector(left, right, 0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7,
                                   15);
}

// Each value in both lanes of its pair.
inline Pairs doubled(Singles v)
{
    return __builtin_shufflevector(v, v, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7);
}

inline Singles lefts(Pairs v)
{
    return __builtin_shufflevector(v, v, 0, 2, 4, 6, 8, 10, 12, 14);
}

inline Singles rights(Pairs v)
{
    return __builtin_shufflevector(v, v, 1, 3, 5, 7, 9, 11, 13, 15);
}

// Lanes of the first `frames` frames set.
inline PairsMask framesBelow(int frames)
{
    const PairsMask lane = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7};
    return lane < frames;
}

inline bool allSet(PairsMask m)
{
    m &= __builtin_shufflevector(m, m, 8, 9, 10, 11, 12, 13, 14, 15, 8, 9, 10, 11, 12, 13, 14, 15);
    m &= __builtin_shufflevector(m, m, 4, 5, 6, 7, 4, 5, 6, 7, 4, 5, 6, 7, 4, 5, 6, 7);
    m &= __builtin_shufflevector(m, m, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3);
    return (m[0] & m[1]) != 0;
}

// The draws for kFramesPerVector frames, three pairs a frame (noise, left, right), in
// three vectors, sorted by use.
inline DrawsOfFrames drawsOfFrames(PairsBits first, PairsBits second, PairsBits third)
{
    const PairsBits noise = __builtin_shufflevector(first, second, 0, 1, 6, 7, 12, 13, 18, 19, 24,
                                                    25, 30, 31, 0, 0, 0, 0);
    const PairsBits left = __builtin_shufflevector(first, second, 2, 3, 8, 9, 14, 15, 20, 21, 26,
                                                   27, 0, 0, 0, 0, 0, 0);
    const PairsBits right = __builtin_shufflevector(first, second, 4, 5, 10, 11, 16, 17, 22, 23, 28,
                                                    29, 0, 0, 0, 0, 0, 0);
    return {
        __builtin_shufflevector(noise, third, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 20, 21, 26, 27),
        __builtin_shufflevector(left, third, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 17, 22, 23, 28, 29),
        __builtin_shufflevector(right, third, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 18, 19, 24, 25, 30,
                                31)};
}
} // namespace run_vectors::avx512
