#pragma once

#include <cstdint>

#if defined(__SSE4_1__)
#include <smmintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

// Both channels of a frame in one SIMD register. Lanes 0 and 1 hold left and right; lanes 2
// and 3 repeat them, so the spare lanes always carry ordinary numbers and never slow an
// operation down. Each lane operation is exactly the 32-bit operation on that channel.
using StereoVector = float __attribute__((vector_size(16)));
// Lane masks (all bits set for true) and per-lane integers.
using StereoMask = std::int32_t __attribute__((vector_size(16)));

namespace stereo
{
// Each instruction set's copies of these steps are functions of their own (an inline namespace
// changes only the linker's names), so a file compiled for AVX can never lend its copy to one
// compiled for the baseline.
#if defined(__AVX512F__)
inline namespace avx512
#elif defined(__AVX__)
inline namespace avx
#elif defined(__SSE4_1__)
inline namespace sse41
#else
inline namespace sse2
#endif
{
inline __attribute__((always_inline)) StereoVector splat(float value)
{
    return StereoVector{value, value, value, value};
}

inline __attribute__((always_inline)) StereoVector make(float left, float right)
{
    return StereoVector{left, right, left, right};
}

inline __attribute__((always_inline)) StereoMask splatInt(std::int32_t value)
{
    return StereoMask{value, value, value, value};
}

inline __attribute__((always_inline)) StereoVector abs(StereoVector v)
{
    constexpr std::int32_t magnitudeBits = 0x7FFFFFFF;
    return reinterpret_cast<StereoVector>(reinterpret_cast<StereoMask>(v) & magnitudeBits);
}

// Per lane: where the mask is set, ifSet, else ifClear.
inline __attribute__((always_inline)) StereoVector select(StereoMask mask, StereoVector ifSet,
                                                          StereoVector ifClear)
{
    return mask ? ifSet : ifClear;
}

inline __attribute__((always_inline)) StereoMask select(StereoMask mask, StereoMask ifSet,
                                                        StereoMask ifClear)
{
    return mask ? ifSet : ifClear;
}

// The selects of the recursive steps. With AVX the comparison is written out in its VEX form,
// into a vector register: the compiler would compare into an AVX-512 mask register, which on
// some processors takes a slot of the two multiply pipes those loops are bound by.

// Per lane a > b (all bits set) or not (0), as float lanes for the selects below.
inline __attribute__((always_inline)) StereoVector greaterMask(StereoVector a, StereoVector b)
{
#if defined(__AVX__)
    StereoVector mask;
    asm("vcmpltps %1, %2, %0" : "=x"(mask) : "x"(a), "x"(b));
    return mask;
#else
    return reinterpret_cast<StereoVector>(a > b);
#endif
}

// Per lane: where the sign bit of `mask` is set (a greaterMask lane, a negative number, -0),
// ifSet, else otherwise.
inline __attribute__((always_inline)) StereoVector
selectBySign(StereoVector mask, StereoVector ifSet, StereoVector otherwise)
{
#if defined(__AVX__)
    StereoVector chosen;
    asm("vblendvps %3, %2, %1, %0" : "=x"(chosen) : "x"(otherwise), "x"(ifSet), "x"(mask));
    return chosen;
#else
    return select(reinterpret_cast<StereoMask>(mask) < 0, ifSet, otherwise);
#endif
}

inline __attribute__((always_inline)) StereoMask selectBySign(StereoVector mask, StereoMask ifSet,
                                                              StereoMask otherwise)
{
    return reinterpret_cast<StereoMask>(selectBySign(mask, reinterpret_cast<StereoVector>(ifSet),
                                                     reinterpret_cast<StereoVector>(otherwise)));
}

// Bitwise and, or of two masks (or of a mask and a sign).
inline __attribute__((always_inline)) StereoVector andOf(StereoVector a, StereoVector b)
{
    return reinterpret_cast<StereoVector>(reinterpret_cast<StereoMask>(a) &
                                          reinterpret_cast<StereoMask>(b));
}

inline __attribute__((always_inline)) StereoVector orOf(StereoVector a, StereoVector b)
{
    return reinterpret_cast<StereoVector>(reinterpret_cast<StereoMask>(a) |
                                          reinterpret_cast<StereoMask>(b));
}

// Bitwise b and not a.
inline __attribute__((always_inline)) StereoVector andNotOf(StereoVector a, StereoVector b)
{
    return reinterpret_cast<StereoVector>(~reinterpret_cast<StereoMask>(a) &
                                          reinterpret_cast<StereoMask>(b));
}

// Per lane a > b ? ifGreater : otherwise, exactly (NaN compares false).
inline __attribute__((always_inline)) StereoVector
selectGreater(StereoVector a, StereoVector b, StereoVector ifGreater, StereoVector otherwise)
{
    return selectBySign(greaterMask(a, b), ifGreater, otherwise);
}

// The same on single floats, as lane operations: a comparison that audio flips at random costs
// no mispredicted branch.
inline __attribute__((always_inline)) float selectGreater(float a, float b, float ifGreater,
                                                          float otherwise)
{
#if defined(__AVX__)
    float mask;
    float chosen;
    asm("vcmpltss %2, %3, %1\n\tvblendvps %1, %4, %5, %0"
        : "=x"(chosen), "=&x"(mask)
        : "x"(a), "x"(b), "x"(ifGreater), "x"(otherwise));
    return chosen;
#else
    const StereoMask greater = splat(a) > splat(b);
    return select(greater, splat(ifGreater), splat(otherwise))[0];
#endif
}

// Left and right exchanged.
inline __attribute__((always_inline)) StereoVector swapped(StereoVector v)
{
    return __builtin_shufflevector(v, v, 1, 0, 3, 2);
}

inline __attribute__((always_inline)) StereoVector leftInBoth(StereoVector v)
{
    return __builtin_shufflevector(v, v, 0, 0, 2, 2);
}

inline __attribute__((always_inline)) StereoVector rightInBoth(StereoVector v)
{
    return __builtin_shufflevector(v, v, 1, 1, 3, 3);
}

inline __attribute__((always_inline)) StereoMask rightInBoth(StereoMask m)
{
    return __builtin_shufflevector(m, m, 1, 1, 3, 3);
}

// Per lane a > b ? a : b, and a < b ? a : b: exactly these expressions, NaN cases included.
inline __attribute__((always_inline)) StereoVector maxOf(StereoVector a, StereoVector b)
{
#if defined(__SSE2__)
    return _mm_max_ps(a, b);
#else
    return select(a > b, a, b);
#endif
}

inline __attribute__((always_inline)) StereoVector minOf(StereoVector a, StereoVector b)
{
#if defined(__SSE2__)
    return _mm_min_ps(a, b);
#else
    return select(a < b, a, b);
#endif
}

// Per lane, rounded towards zero to a whole number; the lanes must lie within the 32-bit integers.
// Inlined everywhere: its code differs between the baseline and the AVX-512 files.
inline __attribute__((always_inline)) StereoVector truncated(StereoVector v)
{
#if defined(__SSE4_1__)
    return _mm_round_ps(v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
#elif defined(__SSE2__)
    return _mm_cvtepi32_ps(_mm_cvttps_epi32(v));
#else
    return __builtin_convertvector(__builtin_convertvector(v, StereoMask), StereoVector);
#endif
}

// Bit 0 for the left lane, bit 1 for the right.
inline __attribute__((always_inline)) int channelBits(StereoMask m)
{
#if defined(__SSE2__)
    return _mm_movemask_ps(_mm_castsi128_ps(reinterpret_cast<__m128i>(m))) & 3;
#else
    return (m[0] ? 1 : 0) | (m[1] ? 2 : 0);
#endif
}

// Lanes 0, 1 of a followed by lanes 0, 1 of b: two frames' pairs in one vector.
inline __attribute__((always_inline)) StereoVector joinPairs(StereoVector a, StereoVector b)
{
    return __builtin_shufflevector(a, b, 0, 1, 4, 5);
}

// Lanes 2 and 3 (the second frame of a joined vector) moved to lanes 0 and 1, and repeated.
inline __attribute__((always_inline)) StereoVector secondPair(StereoVector v)
{
    return __builtin_shufflevector(v, v, 2, 3, 2, 3);
}

inline __attribute__((always_inline)) bool allFourSet(StereoMask m)
{
#if defined(__SSE2__)
    return _mm_movemask_ps(_mm_castsi128_ps(reinterpret_cast<__m128i>(m))) == 0xF;
#else
    return m[0] && m[1] && m[2] && m[3];
#endif
}

inline __attribute__((always_inline)) bool anyOfFourSet(StereoMask m)
{
#if defined(__SSE2__)
    return _mm_movemask_ps(_mm_castsi128_ps(reinterpret_cast<__m128i>(m))) != 0;
#else
    return m[0] || m[1] || m[2] || m[3];
#endif
}

inline __attribute__((always_inline)) bool bothSet(StereoMask m)
{
    return channelBits(m) == 3;
}

// A float, or the same float in every lane, for code shared by mono and stereo blocks.
template <typename Sample> Sample broadcast(float value);

template <> inline __attribute__((always_inline)) float broadcast<float>(float value)
{
    return value;
}

template <> inline __attribute__((always_inline)) StereoVector broadcast<StereoVector>(float value)
{
    return splat(value);
}
} // namespace avx512, avx, sse41 or sse2
} // namespace stereo
