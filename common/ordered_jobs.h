// Numbered jobs run on a pool of threads, each thread with a context of its
// own, and their results handed back in job order on the calling thread: the
// caller sees what one thread working through the jobs in order would give,
// in that order, whatever order the jobs finish in.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "common/common_types.h"
#include "common/worker_pool.h"

template <class Context>
class OrderedJobs {
 public:
  // With one thread the jobs run on *local, on the calling thread; otherwise
  // `threads` workers each own a context from makeContext().
  OrderedJobs(uint threads, Context* local, const std::function<std::unique_ptr<Context>()>& makeContext)
      : m_local(local), m_threads(threads) {
    if (threads > 1) m_pool.reset(new WorkerPool<Context>(threads, makeContext));
  }

  // Runs job(context, i) for i = 0 .. count-1 and calls take(i, result) for
  // each in increasing i on the calling thread. An exception thrown by a job
  // is carried like a result: it is rethrown on the calling thread when its
  // turn comes to be taken, after every earlier result was taken, as it would
  // be on one thread.
  // At most a window of jobs ahead of the one awaited is queued or held, so
  // memory stays bounded. The workers are idle when it returns.
  template <class Result, class Job, class Take>
  void run(size_t count, Job job, Take take) {
    if (!m_pool) {
      for (size_t i = 0; i < count; ++i) take(i, job(*m_local, i));
      return;
    }
    struct Slot {
      std::optional<Result> result;
      std::exception_ptr failure;
      bool done = false;
    };
    std::vector<Slot> slots(count);
    WorkerPool<Context>& pool = *m_pool;
    const size_t window = 16 * static_cast<size_t>(m_threads);
    size_t submitted = 0;
    for (size_t i = 0; i < count; ++i) {
      for (; submitted < count && submitted < i + window; ++submitted) {
        const size_t j = submitted;
        pool.submit([&slots, &pool, &job, j](Context& context) {
          std::optional<Result> result;
          std::exception_ptr failure;
          try {
            result.emplace(job(context, j));
          } catch (...) {
            failure = std::current_exception();
          }
          pool.locked([&] {
            slots[j].result = std::move(result);
            slots[j].failure = std::move(failure);
            slots[j].done = true;
          });
        });
      }
      Slot& slot = slots[i];
      pool.waitUntil([&slot] { return slot.done; });
      if (slot.failure) {
        pool.shutdown();  // the jobs after it must not run on while the caller unwinds
        std::rethrow_exception(slot.failure);
      }
      take(i, std::move(*slot.result));
      slot.result.reset();
    }
  }

 private:
  Context* m_local;
  const uint m_threads;
  std::unique_ptr<WorkerPool<Context>> m_pool;
};

// One run of OrderedJobs: the pool lives for these jobs only.
template <class Context, class Result, class MakeContext, class Job, class Take>
void runJobsInOrder(uint threads, Context* local, MakeContext makeContext, size_t count, Job job, Take take) {
  OrderedJobs<Context> jobs(threads > 1 && count > 1 ? threads : 1, local, makeContext);
  jobs.template run<Result>(count, job, take);
}
