// Reader of BioGRID TAB3 (and TAB2) files: tab-separated, a header line starting
// with '#' that names the columns, '-' in empty cells, '|' between several values;
// physical and genetic interactions of several organisms mixed in one file.
#pragma once

#include <string>
#include <vector>

#include "tools/prep/interaction_reader.h"
#include "tools/prep/organism_filter.h"

class BiogridReader : public InteractionReader {
 public:
  explicit BiogridReader(const InteractionOptions& opts);

  // Physical interactions only unless --all-types; both interactors of one
  // organism (--taxid); names from the --id column; weight 1.
  void read(TextInput* in, PairTable* table, DropLog* log) override;

 private:
  // Column indices, from the header line or, without one, the TAB3 positions.
  struct Layout {
    size_t type;
    size_t organismA;
    size_t organismB;
    size_t idA;
    size_t idB;
  };

  void setLayout(const std::vector<std::string>& header, const TextInput& in);
  void readRow(const std::vector<std::string>& fields, const TextInput& in, PairTable* table, DropLog* log);

  Layout m_layout;
  size_t m_minColumns;
  OrganismFilter m_organisms;
};
