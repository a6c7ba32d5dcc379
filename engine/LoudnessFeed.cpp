#include "engine/LoudnessFeed.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace
{
// Between two looks at an empty ring: 1920 frames at 192 kHz, a small part of the ring, and
// fewer than a display frame's worth of delay; an idle instance wakes 100 times a second.
// An offline render fills the ring in a fraction of that (32768 frames in about 0.2 ms), so a
// look that finds it more than a quarter full takes the interval to the shortest at once;
// looks that find little double it back.
constexpr auto kLongestPoll = std::chrono::microseconds(10000);
constexpr auto kShortestPoll = std::chrono::microseconds(50);
constexpr std::uint64_t kBusyQueuedFrames = LoudnessFeed::kRingFrames / 4;
constexpr std::uint64_t kIdleQueuedFrames = LoudnessFeed::kRingFrames / 16;
constexpr auto kSetUpWait = std::chrono::microseconds(50);
// The integrated loudness and range take a pass over their histograms: while the ring stays
// busy (offline renders), at most once per this many 100 ms steps.
constexpr std::uint64_t kFullPublishSteps = 10;
constexpr auto kRelaxed = std::memory_order_relaxed;

inline void pause()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}
} // namespace

LoudnessFeed::LoudnessFeed()
    : ringLeft(new float[kRingFrames]), ringRight(new float[kRingFrames]), thread([this] { run(); })
{
}

LoudnessFeed::~LoudnessFeed()
{
    {
        std::lock_guard<std::mutex> lock(stopMutex);
        stopping = true;
    }
    stopSignal.notify_one();
    thread.join();
}

bool LoudnessFeed::tryTakeFlag()
{
    return !measuring.exchange(true, std::memory_order_acquire);
}

void LoudnessFeed::takeFlagWaiting()
{
    while (!tryTakeFlag())
        std::this_thread::sleep_for(kSetUpWait);
}

void LoudnessFeed::releaseFlag()
{
    measuring.store(false, std::memory_order_release);
}

void LoudnessFeed::run()
{
    // From the shortest: an offline render may start at once.
    std::chrono::microseconds poll = kShortestPoll;
    bool woken = true;
    std::unique_lock<std::mutex> lock(stopMutex);
    while (!stopping)
    {
        lock.unlock();
        if (woken)
        {
            const std::uint64_t queued =
                written.load(std::memory_order_acquire) - measured.load(kRelaxed);
            if (queued >= kBusyQueuedFrames)
                poll = kShortestPoll;
            else if (queued < kIdleQueuedFrames)
                poll = std::min(kLongestPoll, poll * 2);
            woken = false;
        }
        int frames = 0;
        if (tryTakeFlag())
        {
            frames = measureChunk();
            const bool drained = measured.load(kRelaxed) == written.load(std::memory_order_acquire);
            if (meter.getStepCount() != stepsAtLastFullPublish &&
                (drained || meter.getStepCount() - stepsAtLastFullPublish >= kFullPublishSteps))
                publishAllFigures();
            releaseFlag();
        }
        lock.lock();
        if (frames == 0)
        {
            stopSignal.wait_for(lock, poll, [this] { return stopping; });
            woken = true;
        }
    }
}

void LoudnessFeed::carryOutMarkers(std::uint64_t position, std::uint64_t& chunkEnd)
{
    const auto carryOut = [&](std::atomic<std::uint64_t>& marker, auto action)
    {
        std::uint64_t at = marker.load(std::memory_order_acquire);
        if (at == kNone)
            return;
        if (at <= position)
        {
            action();
            // A newer marker set meanwhile stays for the next chunk.
            marker.compare_exchange_strong(at, kNone, std::memory_order_acq_rel);
        }
        else
            chunkEnd = std::min(chunkEnd, at);
    };
    carryOut(resetAt,
             [this]
             {
                 meter.reset();
                 stepsAtLastFullPublish = 0;
                 publishAllFigures();
             });
    carryOut(restartAt,
             [this]
             {
                 meter.restart();
                 publishQuickFigures();
             });
}

int LoudnessFeed::measureChunk()
{
    const std::uint64_t start = measured.load(kRelaxed);
    std::uint64_t end = std::min(written.load(std::memory_order_acquire), start + kChunkFrames);
    carryOutMarkers(start, end);
    if (end == start)
        return 0;
    // In at most two pieces, where the ring wraps.
    std::uint64_t position = start;
    while (position < end)
    {
        const std::uint64_t slot = position & kRingMask;
        const auto count = static_cast<int>(std::min(end - position, kRingFrames - slot));
        meter.process(ringLeft.get() + slot, ringRight.get() + slot, count);
        position += static_cast<std::uint64_t>(count);
    }
    measured.store(end, std::memory_order_release);
    publishQuickFigures();
    return static_cast<int>(end - start);
}

void LoudnessFeed::measureAll()
{
    while (measureChunk() > 0)
    {
    }
}

void LoudnessFeed::publishQuickFigures()
{
    LoudnessFigures figures;
    meter.updateQuickFigures(figures);
    momentaryLufs.store(figures.momentaryLufs, kRelaxed);
    shortTermLufs.store(figures.shortTermLufs, kRelaxed);
    truePeakDbtp.store(figures.truePeakDbtp, kRelaxed);
}

void LoudnessFeed::publishAllFigures()
{
    const LoudnessFigures figures = meter.figures();
    momentaryLufs.store(figures.momentaryLufs, kRelaxed);
    shortTermLufs.store(figures.shortTermLufs, kRelaxed);
    integratedLufs.store(figures.integratedLufs, kRelaxed);
    rangeLu.store(figures.rangeLu, kRelaxed);
    truePeakDbtp.store(figures.truePeakDbtp, kRelaxed);
    stepsAtLastFullPublish = meter.getStepCount();
}

void LoudnessFeed::setSampleRate(double sampleRateHz)
{
    takeFlagWaiting();
    measured.store(written.load(kRelaxed), std::memory_order_release);
    resetAt.store(kNone, kRelaxed);
    restartAt.store(kNone, kRelaxed);
    meter.setSampleRate(sampleRateHz);
    publishAllFigures();
    releaseFlag();
}

void LoudnessFeed::restart()
{
    restartAt.store(written.load(kRelaxed), std::memory_order_release);
}

void LoudnessFeed::reset()
{
    resetAt.store(written.load(std::memory_order_acquire), std::memory_order_release);
}

void LoudnessFeed::write(const float* left, const float* right, int frames)
{
    const std::uint64_t position = written.load(kRelaxed);
    const auto count = static_cast<std::uint64_t>(frames);
    if (position + count - measuredAsLastRead > kRingFrames)
        measuredAsLastRead = measured.load(std::memory_order_acquire);
    while (position + count - measuredAsLastRead > kRingFrames)
    {
        // The thread is behind: measure here, or wait for its chunk (microseconds) to end.
        if (tryTakeFlag())
        {
            while (position + count - measured.load(kRelaxed) > kRingFrames && measureChunk() > 0)
            {
            }
            releaseFlag();
        }
        else
            pause();
        measuredAsLastRead = measured.load(std::memory_order_acquire);
    }
    std::uint64_t done = 0;
    while (done < count)
    {
        const std::uint64_t slot = (position + done) & kRingMask;
        const std::uint64_t piece = std::min(count - done, kRingFrames - slot);
        std::memcpy(ringLeft.get() + slot, left + done, piece * sizeof(float));
        std::memcpy(ringRight.get() + slot, right + done, piece * sizeof(float));
        done += piece;
    }
    written.store(position + count, std::memory_order_release);
}

LoudnessFigures LoudnessFeed::getFigures() const
{
    LoudnessFigures figures;
    figures.momentaryLufs = momentaryLufs.load(kRelaxed);
    figures.shortTermLufs = shortTermLufs.load(kRelaxed);
    figures.integratedLufs = integratedLufs.load(kRelaxed);
    figures.rangeLu = rangeLu.load(kRelaxed);
    figures.truePeakDbtp = truePeakDbtp.load(kRelaxed);
    return figures;
}

void LoudnessFeed::waitUntilMeasured()
{
    takeFlagWaiting();
    measureAll();
    publishAllFigures();
    releaseFlag();
}
