// Unordered protein pairs with one number each, merged as they are added and
// written in order of first appearance (each pair in the orientation of its
// first line). Memory grows with the number of distinct pairs, not of lines.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

class DropLog;

class PairTable {
 public:
  // Which value a pair listed more than once keeps.
  enum class Keep { HIGHEST, LOWEST };

  // The drop reasons counted for a pair listed again and for a protein paired with itself.
  PairTable(Keep keep, std::string duplicateReason, std::string selfReason);

  // Adds one record read at `line`. A name trellis2 could not read back, or a
  // pair of one protein with itself, is counted in *log and left out; a pair
  // listed before is counted as a duplicate and keeps the better value.
  void add(const std::string& a, const std::string& b, double value, uint64_t line, DropLog* log);

  size_t size() const { return m_pairs.size(); }

  // Writes "A<TAB>B<TAB>value" per pair, the value in its shortest exact form.
  void write(FILE* out) const;

 private:
  struct Pair {
    uint32_t a;
    uint32_t b;
    double value;
  };

  uint32_t intern(const std::string& name);
  // Slot of the pair {a, b} in m_slots: the one holding it, or the empty one where it belongs.
  size_t findSlot(uint32_t a, uint32_t b) const;
  void grow();

  const Keep m_keep;
  const std::string m_duplicateReason;
  const std::string m_selfReason;
  std::unordered_map<std::string, uint32_t> m_ids;
  std::vector<const std::string*> m_names;  // keys of m_ids, by id
  std::vector<Pair> m_pairs;
  std::vector<uint32_t> m_slots;  // open addressing: 1 + index into m_pairs, 0 when empty
};
