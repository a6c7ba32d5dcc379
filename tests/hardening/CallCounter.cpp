#include "CallCounter.h"

#include <dlfcn.h>
#include <pthread.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <new>

// glibc's own entries: the interposed functions pass every call on to them.
extern "C"
{
    void* __libc_malloc(std::size_t bytes);
    void* __libc_calloc(std::size_t count, std::size_t bytes);
    void* __libc_realloc(void* memory, std::size_t bytes);
    void* __libc_memalign(std::size_t alignment, std::size_t bytes);
    void __libc_free(void* memory);
}

namespace
{
// Per thread, so the counts belong to the thread under test alone. Plain thread_local data of
// the executable needs no allocation to reach.
thread_local bool counting = false;
thread_local CountedCalls counted;

void countAllocation()
{
    if (counting)
    {
        ++counted.allocations;
    }
}

void countRelease()
{
    if (counting)
    {
        ++counted.releases;
    }
}

void countMutexOperation()
{
    if (counting)
    {
        ++counted.mutexOperations;
    }
}

using MutexFunction = int (*)(pthread_mutex_t*);

// The next definition, libc's, looked up at the first call: a lock may be taken while the
// program loads, before any constructor of this file has run.
MutexFunction nextDefinition(MutexFunction& cached, const char* name)
{
    if (cached == nullptr)
    {
        cached = reinterpret_cast<MutexFunction>(dlsym(RTLD_NEXT, name));
    }
    return cached;
}

MutexFunction realLock = nullptr;
MutexFunction realTryLock = nullptr;
MutexFunction realUnlock = nullptr;
} // namespace

void startCounting()
{
    counted = CountedCalls{};
    counting = true;
}

CountedCalls stopCounting()
{
    counting = false;
    return counted;
}

extern "C"
{
    void* malloc(std::size_t bytes)
    {
        countAllocation();
        return __libc_malloc(bytes);
    }

    void* calloc(std::size_t count, std::size_t bytes)
    {
        countAllocation();
        return __libc_calloc(count, bytes);
    }

    void* realloc(void* memory, std::size_t bytes)
    {
        countAllocation();
        return __libc_realloc(memory, bytes);
    }

    void* memalign(std::size_t alignment, std::size_t bytes)
    {
        countAllocation();
        return __libc_memalign(alignment, bytes);
    }

    void* aligned_alloc(std::size_t alignment, std::size_t bytes)
    {
        countAllocation();
        return __libc_memalign(alignment, bytes);
    }

    int posix_memalign(void** memory, std::size_t alignment, std::size_t bytes)
    {
        countAllocation();
        *memory = __libc_memalign(alignment, bytes);
        return *memory != nullptr ? 0 : ENOMEM;
    }

    void free(void* memory)
    {
        countRelease();
        __libc_free(memory);
    }

    int pthread_mutex_lock(pthread_mutex_t* mutex)
    {
        countMutexOperation();
        return nextDefinition(realLock, "pthread_mutex_lock")(mutex);
    }

    int pthread_mutex_trylock(pthread_mutex_t* mutex)
    {
        countMutexOperation();
        return nextDefinition(realTryLock, "pthread_mutex_trylock")(mutex);
    }

    int pthread_mutex_unlock(pthread_mutex_t* mutex)
    {
        countMutexOperation();
        return nextDefinition(realUnlock, "pthread_mutex_unlock")(mutex);
    }
}

// operator new and delete come to malloc and free in the end, but a library may replace them:
// counted here directly as well as through malloc.
void* operator new(std::size_t bytes)
{
    countAllocation();
    if (void* memory = __libc_malloc(bytes))
    {
        return memory;
    }
    throw std::bad_alloc();
}

void* operator new[](std::size_t bytes)
{
    return operator new(bytes);
}

void operator delete(void* memory) noexcept
{
    countRelease();
    __libc_free(memory);
}

void operator delete[](void* memory) noexcept
{
    operator delete(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    operator delete(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    operator delete(memory);
}
