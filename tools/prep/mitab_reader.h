// Reader of PSI-MITAB 2.5 to 2.8 files: tab-separated, at least 15 columns
// (the later versions add columns after them), cells of "db:value(description)"
// entries separated by '|', '-' in empty cells, an optional '#' header line.
#pragma once

#include <string>
#include <vector>

#include "tools/prep/interaction_reader.h"
#include "tools/prep/organism_filter.h"

class MitabReader : public InteractionReader {
 public:
  explicit MitabReader(const InteractionOptions& opts) : InteractionReader(opts), m_organisms(opts.taxid) {}

  // Names: the first uniprotkb: identifier of the identifier column, else of the
  // alternative identifiers, without its prefix. Organism: the first taxid: of
  // the taxonomy columns (--taxid). Weight: intact-miscore, or 1 without one.
  void read(TextInput* in, PairTable* table, DropLog* log) override;

 private:
  void readRow(const std::vector<std::string>& fields, const TextInput& in, PairTable* table, DropLog* log);

  OrganismFilter m_organisms;
};
