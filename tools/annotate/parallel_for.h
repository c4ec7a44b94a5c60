// Work spread over threads: every index once, on whichever thread is free.
// The work of an index must write only its own results, so that they do not
// depend on the thread count.
#pragma once

#include <cstddef>
#include <functional>

// Calls work(i) for every i in [0, count) on up to threads threads (1: on the
// caller's). The first exception thrown by work is rethrown once all threads
// have stopped; the indexes not yet started are then skipped.
void parallelFor(size_t count, unsigned threads, const std::function<void(size_t)>& work);
