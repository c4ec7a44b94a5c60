// Protein labels (gene symbols, preferred names) by protein id, as trellis2
// reads them from PREFIX_labels.txt: one label per id, the first one given,
// written in order of first appearance. Every line that adds nothing is
// counted by reason.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

class DropLog;

class LabelTable {
 public:
  // Adds the label of `id` read at `line`, blanks around it removed. An id
  // that cannot be a protein name, an empty label, a label that repeats the
  // id and a further label of a labelled id are counted in *log instead.
  void add(const std::string& id, const std::string& label, uint64_t line, DropLog* log);

  size_t size() const { return m_entries.size(); }

  // Writes "id<TAB>label" per id.
  void write(FILE* out) const;

 private:
  struct Entry {
    std::string id;
    std::string label;
  };
  std::unordered_map<std::string, size_t> m_index;  // id -> its entry
  std::vector<Entry> m_entries;
};
