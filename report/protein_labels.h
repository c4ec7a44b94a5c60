// Names that biologists use for the outputs: the species' names, and protein
// labels (gene symbols, say) from the optional file <input prefix>_labels.txt
// of "id<TAB>label" lines that trellis2-prep labels writes.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "common/common_types.h"
#include "network/network.h"

struct ProteinLabels {
  std::map<std::string, std::string> byId;
  bool found = false;   // the file was there and could be read
  size_t skipped = 0;   // its lines that are not "id<TAB>label" (comments and empty lines aside)

  // The labels of path; none (found false) when there is no such file.
  static ProteinLabels read(const std::string& path);
};

// What the tables, the report and the Cytoscape files call species and proteins.
struct Naming {
  std::vector<std::string> species;  // the names given, or none
  ProteinLabels labels;

  // The name of species s, or "species s".
  std::string speciesName(uint s) const;
  // The name of species s, or its index: for column names and the node table.
  std::string speciesKey(uint s) const;
  // The label of a protein, or its name.
  std::string labelOf(const Node* n) const;
  bool hasLabel(const Node* n) const { return labels.byId.count(n->m_name) != 0; }
};

// Whether a protein name is a UniProtKB accession (with an isoform suffix or not).
bool isUniprotAccession(const std::string& name);
