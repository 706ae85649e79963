// Asks the processor to start fetching memory that will be read soon, so that a loop over
// separately allocated objects does not wait for each in turn. Nothing where the compiler offers
// no way to ask.
//
// To the optimiser a prefetch has no effect: a function that does nothing else looks like one
// whose calls may be dropped, and they are. So the prefetch and every function whose only work is
// a prefetch are inlined always (PTLY_PREFETCHING), before the optimiser can judge them.
#pragma once

#if defined(__GNUC__)
#define PTLY_PREFETCHING inline __attribute__((always_inline))
#else
#define PTLY_PREFETCHING inline
#endif

PTLY_PREFETCHING void prefetchForRead(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}
