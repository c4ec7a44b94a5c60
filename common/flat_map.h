// Open-addressing hash map for the span searches' memos: keys are unique,
// nothing is erased, values live inline in one array, and the whole map can be
// emptied in constant time. The searches hit these maps once per recursive
// step, so a lookup must be a multiply, a shift and a short scan.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/common_types.h"

// A key of up to 96 bits: what identifies an entry, packed by the caller.
struct WideKey {
  uint64_t high;
  uint32_t low;
  bool operator==(const WideKey& o) const { return high == o.high && low == o.low; }
  bool operator!=(const WideKey& o) const { return !(*this == o); }
};

inline size_t flatHash(uint64_t key) {
  key ^= key >> 31;
  key *= 0x9E3779B97F4A7C15ull;
  return static_cast<size_t>(key ^ (key >> 29));
}
inline size_t flatHash(const WideKey& key) { return flatHash(key.high ^ (key.low * 0xC2B2AE3D27D4EB4Full)); }

template <class Key, class Value>
class FlatMap {
 public:
  FlatMap() = default;

  // The value stored under key, or null.
  Value* find(const Key& key) {
    if (m_count == 0) return nullptr;
    Slot& slot = m_slots[probe(key)];
    return isLive(slot) ? &slot.value : nullptr;
  }
  const Value* find(const Key& key) const { return const_cast<FlatMap*>(this)->find(key); }

  // Stores value under a key that is not in the map yet; returns the stored copy.
  Value& insert(const Key& key, const Value& value) {
    if (2 * (m_count + 1) > m_slots.size()) grow();
    Slot& slot = m_slots[probe(key)];
    TRELLIS_ASSERT(!isLive(slot));
    slot.key = key;
    slot.epoch = m_epoch;
    slot.value = value;
    ++m_count;
    return slot.value;
  }

  // Forgets every entry at once; the storage is kept for reuse.
  void clear() {
    m_count = 0;
    if (++m_epoch == 0) {  // the epochs wrapped: old slots could look live again
      for (Slot& slot : m_slots) slot.epoch = 0;
      m_epoch = 1;
    }
  }

  // Forgets every entry and returns the storage.
  void release() {
    std::vector<Slot>().swap(m_slots);
    m_count = 0;
    m_epoch = 1;
  }

  size_t size() const { return m_count; }
  // Whether the next insert doubles the storage.
  bool fullBeforeGrowth() const { return 2 * (m_count + 1) > m_slots.size(); }
  size_t bytes() const { return m_slots.capacity() * sizeof(Slot); }
  // Bytes of storage once the next insert has grown it (when it must).
  size_t bytesAfterGrowth() const {
    return fullBeforeGrowth() ? (m_slots.empty() ? MIN_SLOTS : 2 * m_slots.size()) * sizeof(Slot) : bytes();
  }

 private:
  struct Slot {
    Key key{};
    uint32_t epoch = 0;  // live when equal to the map's epoch
    Value value{};
  };
  static constexpr size_t MIN_SLOTS = 16;

  bool isLive(const Slot& slot) const { return slot.epoch == m_epoch; }

  // The slot holding key, or the first free slot of its probe sequence.
  size_t probe(const Key& key) const {
    const size_t mask = m_slots.size() - 1;
    size_t i = flatHash(key) & mask;
    while (isLive(m_slots[i]) && m_slots[i].key != key) i = (i + 1) & mask;
    return i;
  }

  void grow() {
    std::vector<Slot> old;
    old.swap(m_slots);
    m_slots.assign(old.empty() ? MIN_SLOTS : 2 * old.size(), Slot());
    const uint32_t oldEpoch = m_epoch;
    m_epoch = 1;
    for (const Slot& slot : old) {
      if (slot.epoch != oldEpoch) continue;
      Slot& dst = m_slots[probe(slot.key)];
      dst = slot;
      dst.epoch = m_epoch;
    }
  }

  std::vector<Slot> m_slots;  // power-of-two size, at most half live
  size_t m_count = 0;
  uint32_t m_epoch = 1;
};
