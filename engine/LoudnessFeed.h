#pragma once

#include "engine/LoudnessMeter.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

// The loudness measurement of a stream, kept off the audio thread: the audio thread copies its
// output into a lock-free ring, and a thread of the feed's own, which polls the ring every few
// milliseconds in real time and more often while an offline render fills it (the audio thread
// never wakes it), measures every frame in order and publishes the figures. Whoever measures
// holds a flag (no lock): the thread, chunk by chunk, or, when the ring is full because the
// thread cannot keep up (an offline render far faster than real time on a busy machine), the
// audio thread itself, so no frame is ever skipped.
class LoudnessFeed
{
  public:
    // Frames the ring holds: 170 ms at 192 kHz, far beyond the thread's polling interval, and
    // small enough (256 KB) to stay in the processor's cache, which the copy's cost depends on.
    static constexpr int kRingFrames = 1 << 15;
    // Frames measured between two looks at the flag, resets and the stop request.
    static constexpr int kChunkFrames = 1024;

    // Set-up thread: allocates the ring and the meter, starts the thread.
    LoudnessFeed();
    // Set-up thread: stops and joins the thread.
    ~LoudnessFeed();
    LoudnessFeed(const LoudnessFeed&) = delete;
    LoudnessFeed& operator=(const LoudnessFeed&) = delete;

    // Set-up thread, while nothing writes: waits for the chunk being measured, drops frames
    // still queued (they were at the old rate), rebuilds the meter for the rate and resets it.
    void setSampleRate(double sampleRateHz);
    // Set-up thread, while nothing writes: the stream restarts with the next frame written
    // (filters and the momentary and short-term windows start afresh; the integrated loudness,
    // range and true peak go on).
    void restart();
    // Any thread: everything measured is forgotten from the next frame written on.
    void reset();
    // Audio thread. Copies the frames into the ring; allocates nothing, takes no lock, makes no
    // system call. Waits only when the ring is full while the thread measures a chunk.
    void write(const float* left, const float* right, int frames);
    // Audio thread: the frames written so far (its own count), and where the frame at a given
    // count goes in the ring, so the writer can ask for those cache lines before it writes.
    std::uint64_t writtenFrames() const { return written.load(std::memory_order_relaxed); }
    struct RingSlot
    {
        const float* left;
        const float* right;
    };
    RingSlot slotOf(std::uint64_t frame) const
    {
        const std::uint64_t slot = frame & kRingMask;
        return {ringLeft.get() + slot, ringRight.get() + slot};
    }
    // Any thread: the figures as last published (every 100 ms step of the stream).
    LoudnessFigures getFigures() const;
    // Any thread but the audio thread: returns once every frame written so far is measured
    // and its figures published; for offline work and tests.
    void waitUntilMeasured();

  private:
    // With the flag held: measures up to kChunkFrames queued frames; how many it measured.
    int measureChunk();
    // With the flag held: measures until no frame is queued.
    void measureAll();
    void carryOutMarkers(std::uint64_t position, std::uint64_t& chunkEnd);
    void publishQuickFigures();
    void publishAllFigures();
    bool tryTakeFlag();
    void takeFlagWaiting();
    void releaseFlag();
    void run();

    // A frame count's slot in the ring.
    static constexpr std::uint64_t kRingMask = kRingFrames - 1;
    std::unique_ptr<float[]> ringLeft;
    std::unique_ptr<float[]> ringRight;
    // Frames written and measured since construction; the ring slot is the count modulo size.
    // Each on a cache line of its own, so the two threads' stores do not pull at one line; the
    // audio thread reads `measured` again only when its last reading says the ring is full.
    static constexpr std::size_t kCacheLineBytes = 64;
    alignas(kCacheLineBytes) std::atomic<std::uint64_t> written{0};
    std::uint64_t measuredAsLastRead = 0;
    alignas(kCacheLineBytes) std::atomic<std::uint64_t> measured{0};
    // Where a reset or restart takes effect, as a count of frames written; kNone when none waits.
    static constexpr std::uint64_t kNone = ~std::uint64_t{0};
    std::atomic<std::uint64_t> resetAt{kNone};
    std::atomic<std::uint64_t> restartAt{kNone};
    // Held by whoever measures; the meter and its bookkeeping belong to the holder.
    std::atomic<bool> measuring{false};
    LoudnessMeter meter;
    std::uint64_t stepsAtLastFullPublish = 0;

    std::atomic<float> momentaryLufs{loudness_constants::kSilenceLufs};
    std::atomic<float> shortTermLufs{loudness_constants::kSilenceLufs};
    std::atomic<float> integratedLufs{loudness_constants::kSilenceLufs};
    std::atomic<float> rangeLu{0.0f};
    std::atomic<float> truePeakDbtp{loudness_constants::kSilenceLufs};

    // Only for stopping the thread promptly; the audio thread never touches them.
    std::mutex stopMutex;
    std::condition_variable stopSignal;
    bool stopping = false;
    std::thread thread;
};
