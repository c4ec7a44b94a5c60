#include "tools/annotate/parallel_for.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

void parallelFor(size_t count, unsigned threads, const std::function<void(size_t)>& work) {
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  std::exception_ptr error;
  std::mutex errorLock;
  const auto worker = [&] {
    for (size_t i = next++; i < count && !failed; i = next++) {
      try {
        work(i);
      } catch (...) {
        const std::lock_guard<std::mutex> lock(errorLock);
        if (!error) error = std::current_exception();
        failed = true;
      }
    }
  };
  const size_t helpers = std::min<size_t>(threads > 0 ? threads - 1 : 0, count > 0 ? count - 1 : 0);
  std::vector<std::thread> pool;
  for (size_t t = 0; t < helpers; ++t) pool.emplace_back(worker);
  worker();
  for (std::thread& t : pool) t.join();
  if (error) std::rethrow_exception(error);
}
