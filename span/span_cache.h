// The long-lived memo of a span search: (species mask, anchor tag) -> the
// best span's compact record, or the knowledge that no span exists. Records
// are a few bytes each (what the search chose, not the span's proteins), so
// ten million of them fit in a few hundred megabytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/common_types.h"
#include "common/flat_map.h"

// Non-zero 64-bit keys to 32-bit values, twelve bytes a slot: the cache holds
// millions of keys, so each byte of a slot counts.
class KeyTable {
 public:
  // Asks the processor to fetch the slot of key ahead of a find.
  void prefetch(uint64_t key) const {
    if (m_count != 0) __builtin_prefetch(&m_keys[flatHash(key) & (m_keys.size() - 1)]);
  }
  const uint32_t* find(uint64_t key) const {
    if (m_count == 0) return nullptr;
    const size_t i = probe(key);
    return m_keys[i] == key ? &m_values[i] : nullptr;
  }
  // The key must not be stored yet.
  void insert(uint64_t key, uint32_t value) {
    if (10 * (m_count + 1) > 7 * m_keys.size()) grow();
    const size_t i = probe(key);
    TRELLIS_ASSERT(key != 0 && m_keys[i] == 0);
    m_keys[i] = key;
    m_values[i] = value;
    ++m_count;
  }
  void release() {
    std::vector<uint64_t>().swap(m_keys);
    std::vector<uint32_t>().swap(m_values);
    m_count = 0;
  }
  size_t bytes() const { return m_keys.capacity() * sizeof(uint64_t) + m_values.capacity() * sizeof(uint32_t); }

 private:
  // The slot holding key, or the empty slot where it belongs.
  size_t probe(uint64_t key) const {
    const size_t mask = m_keys.size() - 1;
    size_t i = flatHash(key) & mask;
    while (m_keys[i] != 0 && m_keys[i] != key) i = (i + 1) & mask;
    return i;
  }
  void grow() {
    std::vector<uint64_t> keys;
    std::vector<uint32_t> values;
    keys.swap(m_keys);
    values.swap(m_values);
    const size_t size = keys.empty() ? 16 : 2 * keys.size();
    m_keys.assign(size, 0);
    m_values.assign(size, 0);
    for (size_t i = 0; i < keys.size(); ++i) {
      if (keys[i] == 0) continue;
      const size_t j = probe(keys[i]);
      m_keys[j] = keys[i];
      m_values[j] = values[i];
    }
  }

  std::vector<uint64_t> m_keys;  // 0: empty
  std::vector<uint32_t> m_values;
  size_t m_count = 0;
};

template <class Record>
class SpanCache {
 public:
  static constexpr uint MAX_ENTRIES = 10000000;  // maintain() empties the cache above this

  SpanCache() : m_tables(1u << MAX_SPECIES) {}
  SpanCache(const SpanCache&) = delete;
  SpanCache& operator=(const SpanCache&) = delete;

  // Whether the key was stored; *record is its record, null for "no span".
  bool lookup(uint64_t tag, uint specMask, const Record** record) const {
    const uint32_t* ref = m_tables[specMask].find(tag);
    if (ref == nullptr) return false;
    *record = *ref == NO_SPAN ? nullptr : &at(*ref - 1);
    return true;
  }

  void prefetch(uint64_t tag, uint specMask) const { m_tables[specMask].prefetch(tag); }

  // Stores the answer for a key that is not stored yet (null: no span). Every
  // call counts towards size().
  void store(uint64_t tag, uint specMask, const Record* record) {
    // clang-format off
    TRELLIS_ASSERT(specMask < (1u<<MAX_SPECIES));
    // clang-format on
    uint32_t ref = NO_SPAN;
    if (record != nullptr) {
      if (m_records % CHUNK == 0) m_chunks.emplace_back(new Record[CHUNK]);
      m_chunks.back()[m_records % CHUNK] = *record;
      ref = static_cast<uint32_t>(++m_records);
    }
    m_tables[specMask].insert(tag, ref);
    ++m_size;
  }

  // Empties the cache when it has taken more than MAX_ENTRIES entries.
  void maintain() {
    if (m_size > MAX_ENTRIES) clear();
  }

  void clear() {
    for (KeyTable& table : m_tables) table.release();
    m_chunks.clear();
    m_records = 0;
    m_size = 0;
  }

  // store() calls since construction or the last clear().
  uint size() const { return m_size; }

  size_t bytes() const {
    size_t total = m_chunks.size() * CHUNK * sizeof(Record);
    for (const KeyTable& table : m_tables) total += table.bytes();
    return total;
  }

 private:
  static constexpr uint32_t NO_SPAN = 0;
  static constexpr size_t CHUNK = 1u << 16;  // records per chunk: growth never copies

  const Record& at(size_t i) const { return m_chunks[i / CHUNK][i % CHUNK]; }

  std::vector<KeyTable> m_tables;  // one per species mask
  std::vector<std::unique_ptr<Record[]>> m_chunks;
  size_t m_records = 0;
  uint m_size = 0;
};
