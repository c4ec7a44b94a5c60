// Memo of the span searches: (species mask, anchor tag) -> best span, or null
// when it is known that no span exists.
#pragma once

#include <unordered_map>

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
    m_table[specMask][aTag] = val;
    ++m_size;
    return val;
  }

  // The stored value (null may be a stored answer); *wasFound tells whether
  // the key is present. Returns null when it is not.
  Val* getEntry(const Tag& tag, bool* wasFound, uint specMask) {
    const Map& map = m_table[specMask];
    const typename Map::const_iterator it = map.find(tag);
    *wasFound = it != map.end();
    return *wasFound ? it->second : nullptr;
  }

  // Deletes every stored value and empties the table.
  void clear() {
    for (Map& map : m_table) {
      for (auto& entry : map) delete entry.second;
      map.clear();
    }
    m_size = 0;
  }

  // Bounds the memory of a long search.
  void maintence() {
    if (m_size > MAX_ENTRIES) clear();
  }

  // setEntry calls since construction or the last clear().
  uint size() const { return m_size; }

 protected:
  typedef std::unordered_map<Tag, Val*> Map;

  uint m_size;
  Map m_table[1u << MAX_SPECIES];  // one map per species mask
};
