// Items that several threads share, each behind a lock of its own: a key's
// hash chooses the item, so two threads rarely wait for each other.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>

#include "common/common_types.h"

// A fixed number of items of type T, each behind its own lock; a key's hash
// chooses the item.
template <class T>
class Striped {
 public:
  explicit Striped(size_t stripes) : m_count(stripes), m_stripes(new Stripe[stripes]) {
    TRELLIS_ASSERT(stripes != 0 && (stripes & (stripes - 1)) == 0);
  }
  Striped(const Striped&) = delete;
  Striped& operator=(const Striped&) = delete;

  // Runs fn(item) with the item of hash locked; returns what fn returns.
  template <class Fn>
  auto with(size_t hash, Fn fn) const {
    // The high bits: the maps inside index by the low ones.
    Stripe& stripe = m_stripes[(hash >> 40) & (m_count - 1)];
    std::lock_guard<std::mutex> lock(stripe.lock);
    return fn(stripe.item);
  }
  // Runs fn on every item in turn, each locked while it runs.
  template <class Fn>
  void forEach(Fn fn) const {
    for (size_t i = 0; i < m_count; ++i) {
      std::lock_guard<std::mutex> lock(m_stripes[i].lock);
      fn(m_stripes[i].item);
    }
  }

 private:
  struct alignas(64) Stripe {
    std::mutex lock;
    T item;
  };
  const size_t m_count;
  std::unique_ptr<Stripe[]> m_stripes;
};
