// The run's vector steps that read the same for every code set. Included inside each code set's
// namespace (RunVectorsSse2.h, RunVectorsAvx512.h) after its Pairs, PairsMask, PairsBits and
// Singles, so each set has functions of its own, whether inlined or not. No include guard: each
// namespace takes its copy.

// std::min and std::max as written there.
inline float minOfFloats(float a, float b)
{
    return b < a ? b : a;
}

inline float maxOfFloats(float a, float b)
{
    return a < b ? b : a;
}

inline float boundSample(float sample)
{
    if (!std::isfinite(sample))
        return 0.0f;
    return maxOfFloats(minOfFloats(sample, engine_constants::kInputLimit),
                       -engine_constants::kInputLimit);
}

template <typename Vector> Vector load(const void* from)
{
    Vector v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

template <typename Vector> void store(void* to, Vector v)
{
    std::memcpy(to, &v, sizeof v);
}

inline Pairs splat(float value)
{
    return Pairs{} + value;
}

inline Pairs abs(Pairs v)
{
    constexpr std::int32_t magnitudeBits = 0x7FFFFFFF;
    return reinterpret_cast<Pairs>(reinterpret_cast<PairsMask>(v) & magnitudeBits);
}

inline Pairs select(PairsMask mask, Pairs ifSet, Pairs ifClear)
{
    return mask ? ifSet : ifClear;
}

inline Pairs maxOf(Pairs a, Pairs b)
{
    return a > b ? a : b;
}

inline Pairs minOf(Pairs a, Pairs b)
{
    return a < b ? a : b;
}

// A draw's low eight bits as a signed number of steps, -128..127.
inline Pairs uniformSteps(PairsBits draws)
{
    constexpr std::uint32_t lowByteMask = 0xFFu;
    constexpr std::int32_t midStep = 128;
    return __builtin_convertvector(reinterpret_cast<PairsMask>(draws & lowByteMask) - midStep,
                                   Pairs);
}

// Lanes of left channels set: the low half of each pair's 64 bits.
inline PairsMask leftLanes()
{
    using Halves = std::uint64_t __attribute__((vector_size(sizeof(PairsMask))));
    return reinterpret_cast<PairsMask>(reinterpret_cast<Halves>(PairsMask{} - 1) >> 32);
}

struct DrawsOfFrames
{
    PairsBits noise;
    PairsBits left;
    PairsBits right;
};

inline void storePair(float* to, StereoVector pair)
{
    std::memcpy(to, &pair, 2 * sizeof(float));
}

// Quadratic saturation: slope 1 at 0, slope 0 and value +-0.5 from +-1 on.
inline Pairs softclipCurve(Pairs x)
{
    const Pairs rising = x * (2.0f - x) * 0.5f;
    const Pairs falling = x * (x + 2.0f) * 0.5f;
    Pairs curve = select(x >= 0.0f, rising, falling);
    curve = select(x > 1.0f, splat(0.5f), curve);
    return select(x <= -1.0f, splat(-0.5f), curve);
}

inline void raisePeak(std::atomic<float>& peak, float magnitude)
{
    if (magnitude > peak.load(std::memory_order_relaxed))
        peak.store(magnitude, std::memory_order_relaxed);
}
