// A hash table that threads read without locks: keys (96 bits) map to
// values that never change once stored, so a reader that sees a slot ready
// sees its value whole. Open addressing in one array sized by a byte budget,
// which never moves: beyond its load limit the table stores nothing more
// until maintain(), called when no other thread uses it, empties it. Made
// for memos of pure functions: when two threads store the same key, the
// first value stays and both are equal.
#pragma once

#include <sys/mman.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>

#include "common/common_types.h"
#include "common/flat_map.h"

template <class Value>
class ConcurrentTable {
  static_assert(std::is_trivially_copyable<Value>::value, "values are copied as bytes");

 public:
  explicit ConcurrentTable(size_t byteBudget) : m_capacity(capacityFor(byteBudget)) { allocate(); }
  ~ConcurrentTable() { release(); }
  ConcurrentTable(const ConcurrentTable&) = delete;
  ConcurrentTable& operator=(const ConcurrentTable&) = delete;

  // The budget of a table that holds `entries` keys without filling half of
  // its slots, at most limit.
  static size_t budgetFor(size_t entries, size_t limit) {
    const size_t perSlot = sizeof(Slot);
    return entries >= limit / (4 * perSlot) ? limit : 4 * entries * perSlot;
  }

  // Copies the value of key to *out; false when the key is not stored (or
  // is being stored right now by another thread).
  bool find(const WideKey& key, Value* out) const {
    size_t i = flatHash(key) & (m_capacity - 1);
    for (size_t probes = 0; probes < MAX_PROBES; ++probes, i = (i + 1) & (m_capacity - 1)) {
      const Slot& slot = m_slots[i];
      const uint32_t state = __atomic_load_n(&slot.state, __ATOMIC_ACQUIRE);
      if (state == EMPTY) return false;
      if (state == READY && slot.high == key.high && slot.low == key.low) {
        *out = slot.value;
        return true;
      }
    }
    return false;
  }

  // Stores value under key unless the key is stored already; false when the
  // table is full.
  bool insert(const WideKey& key, const Value& value) {
    if (m_used.load(std::memory_order_relaxed) >= m_capacity / 10 * 7) return false;
    size_t i = flatHash(key) & (m_capacity - 1);
    for (size_t probes = 0; probes < MAX_PROBES; ++probes, i = (i + 1) & (m_capacity - 1)) {
      Slot& slot = m_slots[i];
      uint32_t state = __atomic_load_n(&slot.state, __ATOMIC_ACQUIRE);
      if (state == EMPTY &&
          __atomic_compare_exchange_n(&slot.state, &state, BUSY, false, __ATOMIC_ACQUIRE, __ATOMIC_ACQUIRE)) {
        slot.high = key.high;
        slot.low = key.low;
        slot.value = value;
        __atomic_store_n(&slot.state, READY, __ATOMIC_RELEASE);
        m_used.fetch_add(1, std::memory_order_relaxed);
        return true;
      }
      // Another thread is writing this slot: its key decides whether ours goes on.
      while (state == BUSY) state = __atomic_load_n(&slot.state, __ATOMIC_ACQUIRE);
      if (slot.high == key.high && slot.low == key.low) return true;
    }
    return false;
  }

  // Bytes of the slots written (the array's pages in use are about these).
  size_t bytes() const { return m_used.load(std::memory_order_relaxed) * sizeof(Slot); }
  // Whether the table is half full.
  bool full() const { return m_used.load(std::memory_order_relaxed) >= m_capacity / 2; }

  // No other thread may use the table meanwhile: empties it when half full.
  void maintain() {
    if (full()) clear();
  }

  // Forgets everything; no other thread may use the table meanwhile.
  void clear() {
    release();
    m_used.store(0, std::memory_order_relaxed);
    allocate();
  }

 private:
  enum : uint32_t { EMPTY = 0, BUSY = 1, READY = 2 };
  // Plain fields, so that zero pages are empty slots without constructing
  // anything; the state is read and written atomically only.
  struct Slot {
    uint32_t state;
    uint32_t low;
    uint64_t high;
    Value value;
  };
  static constexpr size_t MAX_PROBES = 64;

  static size_t capacityFor(size_t byteBudget) {
    size_t capacity = 1024;
    while (2 * capacity * sizeof(Slot) <= byteBudget) capacity *= 2;
    return capacity;
  }
  // Fresh anonymous pages are zero, and an all-zero slot is an empty one.
  // They are populated here, on one thread: pages first read as the shared
  // zero page and written later would make every write fault and flush the
  // other threads' address caches.
  void allocate() {
    void* p = mmap(nullptr, arrayBytes(), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE,
                   -1, 0);
    if (p != MAP_FAILED) {
      m_slots = static_cast<Slot*>(p);
      return;
    }
    if (std::new_handler handler = std::get_new_handler()) handler();
    throw std::bad_alloc();
  }
  void release() {
    if (m_slots != nullptr) munmap(m_slots, arrayBytes());
    m_slots = nullptr;
  }
  size_t arrayBytes() const { return m_capacity * sizeof(Slot); }

  const size_t m_capacity;  // a power of two
  Slot* m_slots = nullptr;
  std::atomic<size_t> m_used{0};
};
