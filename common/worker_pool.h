// A fixed set of threads, each owning one context (for the searches: a
// crawler with its own working state), that run submitted jobs. The caller
// keeps the results in its own slots and waits for them with waitUntil, so
// it can take them in its own order whatever order the jobs finish in.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "common/common_types.h"
#include "common/error.h"

template <class Context>
class WorkerPool {
 public:
  typedef std::function<void(Context&)> Job;

  // Throws an Error (EXIT_THREADS) when a thread cannot be started, after
  // ending the ones that were.
  WorkerPool(uint threads, const std::function<std::unique_ptr<Context>()>& makeContext) {
    for (uint i = 0; i < threads; ++i) m_contexts.push_back(makeContext());
    for (uint i = 0; i < threads; ++i) {
      try {
        m_threads.emplace_back([this, i] { run(*m_contexts[i]); });
      } catch (const std::system_error& e) {
        shutdown();
        throw Error(EXIT_THREADS, "ERROR: Can't start thread " + std::to_string(i + 1) + " of " +
                                      std::to_string(threads) + ": " + e.what() +
                                      " (fewer with --threads: may do)\n");
      }
    }
  }
  ~WorkerPool() { shutdown(); }

  // Drops the jobs not started, waits for the running ones and ends the
  // threads; nothing runs on after it returns.
  void shutdown() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_stopping = true;
      m_jobs.clear();
    }
    m_wake.notify_all();
    for (std::thread& t : m_threads) t.join();
    m_threads.clear();
  }
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  void submit(Job job) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
  }

  // Waits until ready() holds; ready is evaluated with the pool's lock held,
  // after every job that finishes, so it sees what finished jobs wrote.
  void waitUntil(const std::function<bool()>& ready) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, ready);
  }

  // Runs fn with the pool's lock held, for state that jobs and waiters share.
  template <class Fn>
  void locked(Fn fn) {
    std::lock_guard<std::mutex> lock(m_mutex);
    fn();
  }

 private:
  void run(Context& context) {
    for (;;) {
      Job job;
      {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
        if (m_stopping) return;
        job = std::move(m_jobs.front());
        m_jobs.pop_front();
      }
      job(context);  // publishes its result through locked()
      m_done.notify_all();
    }
  }

  std::vector<std::unique_ptr<Context>> m_contexts;
  std::vector<std::thread> m_threads;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::condition_variable m_done;
  std::deque<Job> m_jobs;
  bool m_stopping = false;
};
