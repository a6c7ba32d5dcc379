// Counts the calls this test process makes to the heap (malloc, calloc, realloc, free, the
// aligned allocators, operator new and delete) and to pthread mutexes (lock, trylock, unlock)
// while counting is on for the calling thread. CallCounter.cpp interposes these functions for
// the whole process, the dlopen'ed plug-in included; it cannot be combined with the
// sanitizers, which interpose them too.
#pragma once

struct CountedCalls
{
    long allocations = 0;
    long releases = 0;
    long mutexOperations = 0;
};

// Starts counting on the calling thread from zero.
void startCounting();
// Stops counting on the calling thread and returns the counts.
CountedCalls stopCounting();
