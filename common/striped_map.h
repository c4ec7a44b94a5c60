// Hash maps that several threads share: the keys are spread over stripes,
// each a FlatMap under a lock of its own, so two threads rarely wait for each
// other. Made for memos whose values are pure functions of their keys: when
// two threads store the same key, the first value stays and both are equal.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>

#include "common/common_types.h"
#include "common/flat_map.h"

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

// A FlatMap shared by threads, within a byte budget: beyond it, nothing new
// is stored until clear().
template <class Key, class Value>
class StripedMap {
 public:
  StripedMap(size_t stripes, size_t byteBudget) : m_stripes(stripes), m_budget(byteBudget) {}

  // Copies the value of key to *out; false when the key is not stored.
  bool find(const Key& key, Value* out) const {
    return m_stripes.with(flatHash(key), [&](const FlatMap<Key, Value>& map) {
      const Value* v = map.find(key);
      if (v != nullptr) *out = *v;
      return v != nullptr;
    });
  }

  // Stores value under key unless the key is there already or the map is
  // full; returns whether the key is stored now.
  bool insert(const Key& key, const Value& value) {
    return m_stripes.with(flatHash(key), [&](FlatMap<Key, Value>& map) {
      if (map.find(key) != nullptr) return true;
      const size_t growth = map.bytesAfterGrowth() - map.bytes();
      if (growth != 0) {
        if (m_bytes.load(std::memory_order_relaxed) + growth > m_budget) return false;
        m_bytes.fetch_add(growth, std::memory_order_relaxed);
      }
      map.insert(key, value);
      return true;
    });
  }

  // Bytes of storage held now.
  size_t bytes() const { return m_bytes.load(std::memory_order_relaxed); }
  // Whether most of the budget is taken: time to clear when nobody reads.
  bool nearlyFull() const { return 4 * bytes() > 3 * m_budget; }

  // Forgets everything and returns the storage; no other thread may use the
  // map meanwhile.
  void clear() {
    m_stripes.forEach([](FlatMap<Key, Value>& map) { map.release(); });
    m_bytes.store(0, std::memory_order_relaxed);
  }

 private:
  mutable Striped<FlatMap<Key, Value>> m_stripes;
  const size_t m_budget;
  std::atomic<size_t> m_bytes{0};
};
