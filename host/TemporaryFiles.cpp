#include "host/TemporaryFiles.h"

#include "host/HostError.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

namespace
{
// One slot per output being written at once; batches run far fewer jobs than this.
constexpr int kSlotCount = 256;
constexpr int kFree = 0;
constexpr int kFilling = 1;
constexpr int kArmed = 2;
constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// Fixed storage, so the handler reads paths without allocating or locking.
struct Slot
{
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};
Slot slots[kSlotCount];

extern "C" void removeTemporariesAndEnd(int signalNumber)
{
    for (Slot& slot : slots)
        if (slot.state.load() == kArmed)
            unlink(slot.path);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

sigset_t interrupts()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signalNumber : kInterrupts)
        sigaddset(&set, signalNumber);
    return set;
}
} // namespace

void removeTemporariesOnInterrupt()
{
    struct sigaction action
    {
    };
    action.sa_handler = removeTemporariesAndEnd;
    action.sa_mask = interrupts();
    for (int signalNumber : kInterrupts)
        sigaction(signalNumber, &action, nullptr);
}

InterruptsDeferred::InterruptsDeferred()
{
    const sigset_t held = interrupts();
    pthread_sigmask(SIG_BLOCK, &held, &previous);
}

InterruptsDeferred::~InterruptsDeferred()
{
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

RegisteredTemporary::RegisteredTemporary(const std::string& path) : slot(-1)
{
    if (path.size() >= PATH_MAX)
        throw HostError("path too long: " + path);
    for (int index = 0; index < kSlotCount && slot < 0; ++index)
    {
        int expected = kFree;
        if (slots[index].state.compare_exchange_strong(expected, kFilling))
            slot = index;
    }
    if (slot < 0)
        throw HostError("too many output files open at once");
    std::memcpy(slots[slot].path, path.c_str(), path.size() + 1);
    slots[slot].state.store(kArmed);
}

RegisteredTemporary::~RegisteredTemporary()
{
    slots[slot].state.store(kFree);
}
