// Reader of STRING protein.links, protein.links.detailed and protein.links.full
// files: blank-separated, a header line naming the columns ("protein1 protein2
// ... combined_score"), scores from 0 to 1000, each pair listed in both directions.
#pragma once

#include <string>
#include <vector>

#include "tools/prep/interaction_reader.h"

class StringLinksReader : public InteractionReader {
 public:
  explicit StringLinksReader(const InteractionOptions& opts) : InteractionReader(opts) {}

  // Weight = score / 1000 of the combined score, or of the --channel column.
  void read(TextInput* in, PairTable* table, DropLog* log) override;

 private:
  // Sets m_columns and m_scoreColumn from the header line, or from the first
  // data line of a file without header.
  void setLayout(const std::vector<std::string>& fields, bool header, const TextInput& in);

  size_t m_columns = 0;
  size_t m_scoreColumn = 0;
};
