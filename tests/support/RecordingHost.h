// The host callback every suite hands the effect: it answers as hosts do (the interface version,
// 1 to the begin and end of an edit, a size request as set, 0 to everything else) and records
// each call. Recording takes a slot of a fixed table with one atomic increment, so the callback
// allocates nothing, takes no lock and may run inside the real-time checks and on any thread;
// the calls are read on the test's thread once the effect's threads are done.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <vector>

#include "vst/VstAbi.h"

struct RecordedHostCall
{
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
};

namespace recording_host
{
// Calls past this many are counted but not kept; the suites forget them long before.
constexpr std::size_t kCapacity = 1 << 14;
inline std::array<RecordedHostCall, kCapacity> slots;
inline std::atomic<std::size_t> callCount{0};
inline std::atomic<VstIntPtr> versionAnswer{kVstVersion};
inline std::atomic<bool> acceptsSizeWindow{false};
} // namespace recording_host

extern "C" inline VstIntPtr recordingHostCallback(AEffect*, VstInt32 opcode, VstInt32 index,
                                                  VstIntPtr value, void*, float opt)
{
    const std::size_t slot = recording_host::callCount.fetch_add(1, std::memory_order_relaxed);
    if (slot < recording_host::kCapacity)
        recording_host::slots[slot] = {opcode, index, value, opt};
    switch (opcode)
    {
    case audioMasterVersion:
        return recording_host::versionAnswer.load(std::memory_order_relaxed);
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        return 1;
    case audioMasterSizeWindow:
        return recording_host::acceptsSizeWindow.load(std::memory_order_relaxed) ? 1 : 0;
    default:
        return 0;
    }
}

// What audioMasterVersion answers from now on (kVstVersion until changed).
inline void setHostVersionAnswer(VstIntPtr version)
{
    recording_host::versionAnswer.store(version, std::memory_order_relaxed);
}

// Whether audioMasterSizeWindow is granted from now on (refused until changed, as many hosts do).
inline void setHostAcceptsSizeWindow(bool accepts)
{
    recording_host::acceptsSizeWindow.store(accepts, std::memory_order_relaxed);
}

// The calls since the last forgetHostCalls, oldest first.
inline std::vector<RecordedHostCall> recordedHostCalls()
{
    const std::size_t count = recording_host::callCount.load(std::memory_order_relaxed);
    return {recording_host::slots.begin(),
            recording_host::slots.begin() + std::min(count, recording_host::kCapacity)};
}

inline std::vector<VstInt32> recordedHostOpcodes()
{
    std::vector<VstInt32> opcodes;
    for (const RecordedHostCall& call : recordedHostCalls())
        opcodes.push_back(call.opcode);
    return opcodes;
}

inline void forgetHostCalls()
{
    recording_host::callCount.store(0, std::memory_order_relaxed);
}
