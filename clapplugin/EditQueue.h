// The editor's edits on their way to the host: the GUI thread records them, and whichever thread
// runs process or flush hands them to the host as output events. CLAP lets only those two tell
// the host. One writer, one reader at a time; lock-free and allocation-free.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

struct EditEvent
{
    enum class Kind : std::uint8_t
    {
        gestureBegin,
        value,
        gestureEnd,
    };
    Kind kind = Kind::value;
    int index = 0;
    // The stored parameter value (value events only).
    float value = 0.0f;
};

class EditQueue
{
  public:
    // GUI thread. False when full: the edit is applied, only the host's copy waits for the next.
    bool push(const EditEvent& event)
    {
        const std::uint32_t tail = writeIndex.load(std::memory_order_relaxed);
        if (tail - readIndex.load(std::memory_order_acquire) == kCapacity)
            return false;
        events[tail % kCapacity] = event;
        writeIndex.store(tail + 1, std::memory_order_release);
        return true;
    }

    // The process or flush thread. Hands each waiting event to take(event) in order while it
    // answers true; an event it refuses stays first in line.
    template <class Take> void drain(Take&& take)
    {
        std::uint32_t head = readIndex.load(std::memory_order_relaxed);
        const std::uint32_t tail = writeIndex.load(std::memory_order_acquire);
        for (; head != tail; ++head)
            if (!take(events[head % kCapacity]))
                break;
        readIndex.store(head, std::memory_order_release);
    }

  private:
    // A drag at the GUI's rate between two flushes fits many times over.
    static constexpr std::uint32_t kCapacity = 256;
    std::array<EditEvent, kCapacity> events{};
    std::atomic<std::uint32_t> writeIndex{0};
    std::atomic<std::uint32_t> readIndex{0};
};
