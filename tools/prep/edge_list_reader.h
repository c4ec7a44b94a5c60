// Reader of plain edge lists: "A B" (weight 1) or "A B weight" lines, or
// Cytoscape SIF ("A relation B [C ...]", one edge per target; a lone "A" is a
// protein without interactions). Tabs separate fields when a line holds one,
// blanks otherwise; '#' lines are comments. The first data line decides which.
#pragma once

#include <string>
#include <vector>

#include "tools/prep/interaction_reader.h"

class EdgeListReader : public InteractionReader {
 public:
  explicit EdgeListReader(const InteractionOptions& opts) : InteractionReader(opts) {}

  void read(TextInput* in, PairTable* table, DropLog* log) override;

 private:
  enum class Layout { UNKNOWN, PAIRS, WEIGHTED, SIF };

  static Layout detect(const std::vector<std::string>& fields);
  void readPair(const std::vector<std::string>& fields, const TextInput& in, PairTable* table, DropLog* log);
  void readSif(const std::vector<std::string>& fields, const TextInput& in, PairTable* table, DropLog* log);

  Layout m_layout = Layout::UNKNOWN;
};
