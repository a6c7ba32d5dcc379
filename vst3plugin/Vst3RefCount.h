// The reference count every object handed to a host carries: it starts at one for its creator
// and the object deletes itself when the last reference goes.
#pragma once

#include <atomic>
#include <cstdint>

class Vst3RefCount
{
  public:
    std::uint32_t increment() { return count.fetch_add(1, std::memory_order_relaxed) + 1; }
    // The count left; 0 means the caller deletes the object.
    std::uint32_t decrement() { return count.fetch_sub(1, std::memory_order_acq_rel) - 1; }

  private:
    std::atomic<std::uint32_t> count{1};
};

// The FUnknown reference operations of a class with a Vst3RefCount member named refCount.
#define VST3_REFERENCE_COUNTED                                                                     \
    std::uint32_t addRef() override                                                                \
    {                                                                                              \
        return refCount.increment();                                                               \
    }                                                                                              \
    std::uint32_t release() override                                                               \
    {                                                                                              \
        const std::uint32_t left = refCount.decrement();                                           \
        if (left == 0)                                                                             \
            delete this;                                                                           \
        return left;                                                                               \
    }
