// Memo of the span searches: (species mask, anchor tag) -> best span, or null
// when it is known that no span exists.
#pragma once

#include <vector>

#include "common/common_types.h"

// The table owns every value stored in it from setEntry on; only clear()
// deletes them (the destructor does not: owners call clear() first). Pointers
// handed out stay valid until the next clear().
template <class Tag, class Val>
class DynTable2 {
 public:
  static constexpr uint MAX_ENTRIES = 10000000;  // maintence() empties the table above this

  DynTable2() : m_size(0) {}
  DynTable2(const DynTable2&) = delete;
  DynTable2& operator=(const DynTable2&) = delete;

  // Stores val (possibly null) under the key, overwriting without deleting any
  // previous value. Every call counts towards size().
  Val* setEntry(const Tag& aTag, uint specMask, Val* val) {
    // clang-format off
    TRELLIS_ASSERT(specMask < (1u<<MAX_SPECIES));
    // clang-format on
    Map& map = m_table[specMask];
    if (map.count == 0) m_usedMasks.push_back(specMask);
    if (map.slots.empty() || 2 * (map.count + 1) > map.slots.size()) grow(&map);
    Slot& slot = map.slots[probe(map, aTag)];
    if (!slot.used) {
      slot.used = true;
      slot.key = aTag;
      ++map.count;
    }
    slot.val = val;
    ++m_size;
    return val;
  }

  // The stored value (null may be a stored answer); *wasFound tells whether
  // the key is present. Returns null when it is not.
  Val* getEntry(const Tag& tag, bool* wasFound, uint specMask) {
    const Map& map = m_table[specMask];
    if (map.count == 0) {
      *wasFound = false;
      return nullptr;
    }
    const Slot& slot = map.slots[probe(map, tag)];
    *wasFound = slot.used;
    return slot.used ? slot.val : nullptr;
  }

  // Deletes every stored value and empties the table.
  void clear() {
    clear([](Val* val) { delete val; });
  }

  // Empties the table, handing every stored value to release (which then owns it).
  template <class Release>
  void clear(Release release) {
    for (uint mask : m_usedMasks) {
      Map& map = m_table[mask];
      for (Slot& slot : map.slots) {
        if (!slot.used) continue;
        if (slot.val != nullptr) release(slot.val);
        slot.used = false;
      }
      // A table that once grew large keeps a modest size, so later clears stay cheap.
      if (map.slots.size() > MIN_SLOTS && map.count * 16 < map.slots.size())
        map.slots.assign(capacityFor(map.count), Slot());
      map.count = 0;
    }
    m_usedMasks.clear();
    m_size = 0;
  }

  // Bounds the memory of a long search.
  void maintence() {
    if (m_size > MAX_ENTRIES) clear();
  }

  // setEntry calls since construction or the last clear().
  uint size() const { return m_size; }

 protected:
  // Open addressing with linear probing: the searches hit the table once per
  // recursive step, so a lookup must be a multiply, a shift and a short scan.
  struct Slot {
    Tag key = Tag();
    bool used = false;
    Val* val = nullptr;
  };
  struct Map {
    std::vector<Slot> slots;  // power-of-two size, at most half full
    size_t count = 0;
  };
  static constexpr size_t MIN_SLOTS = 16;

  static size_t capacityFor(size_t entries) {
    size_t cap = MIN_SLOTS;
    while (cap < 4 * entries) cap *= 2;
    return cap;
  }

  // Index of the slot holding tag, or of the free slot where it belongs.
  static size_t probe(const Map& map, const Tag& tag) {
    const size_t mask = map.slots.size() - 1;
    size_t i = (static_cast<uint64_t>(tag) * 0x9E3779B97F4A7C15ull >> 32) & mask;
    while (map.slots[i].used && !(map.slots[i].key == tag)) i = (i + 1) & mask;
    return i;
  }

  static void grow(Map* map) {
    std::vector<Slot> old;
    old.swap(map->slots);
    map->slots.assign(capacityFor(map->count + 1), Slot());
    for (const Slot& slot : old) {
      if (slot.used) map->slots[probe(*map, slot.key)] = slot;
    }
  }

  uint m_size;
  Map m_table[1u << MAX_SPECIES];  // one map per species mask
  std::vector<uint> m_usedMasks;   // masks holding entries since the last clear
};
