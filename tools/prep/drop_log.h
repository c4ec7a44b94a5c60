// What a command did not write, counted by reason, with the first few line
// numbers of each, so that nothing is dropped without a count.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class DropLog {
 public:
  static constexpr size_t LINES_KEPT = 5;

  // Counts one record dropped for `reason` at `line` (0: no line).
  void drop(const std::string& reason, uint64_t line);
  uint64_t count(const std::string& reason) const;
  uint64_t total() const;

  // One line per reason, in order of first use: "<prefix><count> <reason> (lines 3, 9, ...)".
  void print(FILE* out, const std::string& prefix) const;

 private:
  struct Entry {
    std::string reason;
    uint64_t count;
    std::vector<uint64_t> lines;
  };
  std::vector<Entry> m_entries;
};
