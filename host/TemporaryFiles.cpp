#include "host/TemporaryFiles.h"

#include "host/HostError.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <pthread.h>
#include <signal.h>
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

// Threads between creating a temporary and registering it; they hold the interrupts back
// themselves, so a handler (on another thread) waits for them rather than miss their file.
std::atomic<int> creating{0};
// Set by the handler: no temporary may be created after it has looked.
std::atomic<bool> ending{false};

extern "C" void removeTemporariesAndEnd(int signalNumber)
{
    ending.store(true);
    while (creating.load() > 0)
    {
        // Only atomics here: the creating thread finishes its registration in microseconds.
    }
    for (Slot& slot : slots)
        if (slot.state.load() == kArmed)
            unlink(slot.path);
    struct sigaction byDefault
    {
    };
    byDefault.sa_handler = SIG_DFL;
    sigaction(signalNumber, &byDefault, nullptr);
    raise(signalNumber); // delivered once this handler returns, with the default action
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
    signal(SIGXFSZ, SIG_IGN);
    struct sigaction action
    {
    };
    action.sa_handler = removeTemporariesAndEnd;
    action.sa_mask = interrupts();
    for (int signalNumber : kInterrupts)
    {
        // A signal ignored by whoever started us (nohup, a background job) stays ignored.
        struct sigaction previous
        {
        };
        if (sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            sigaction(signalNumber, &action, nullptr);
    }
}

InterruptsDeferred::InterruptsDeferred()
{
    const sigset_t held = interrupts();
    pthread_sigmask(SIG_BLOCK, &held, &previous);
    ++creating;
    if (ending.load())
    {
        // An interrupt is already ending the program: create nothing more, wait for the end.
        --creating;
        for (;;)
            pause();
    }
}

InterruptsDeferred::~InterruptsDeferred()
{
    --creating;
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
