// The GO annotations of one species from a GAF 2.1 or 2.2 file, indexed by the
// three names a network may use for a protein: the DB Object ID (column 2),
// the symbol (column 3) and the synonyms (column 11, separated by '|').
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "tools/annotate/go_ontology.h"

class GafAnnotations {
 public:
  // Which names matched a protein.
  enum class Match { NONE, OBJECT_ID, SYMBOL, SYNONYM };

  // Reads path (gzip accepted). Rows whose qualifier (column 4) holds NOT are
  // dropped before anything else, then rows whose term is obsolete or not in
  // go. Lines starting with '!' are comments. Throws ToolError naming the file,
  // the line and the value of a row with fewer than 15 columns.
  GafAnnotations(const std::string& path, const GoOntology& go);

  // The terms of the rows whose object id is name; where there are none, of
  // those whose symbol is name; where there are none again, of those that list
  // name among their synonyms. Ascending, each once, not propagated.
  std::vector<int> termsOf(const std::string& name, Match* how) const;

  const std::string& file() const { return m_file; }
  size_t rows() const { return m_rows; }                  // annotation rows read
  size_t notRows() const { return m_notRows; }            // dropped for NOT
  size_t obsoleteRows() const { return m_obsoleteRows; }  // dropped for an obsolete term
  size_t unknownRows() const { return m_unknownRows; }    // dropped for a term not in the ontology

 private:
  typedef std::unordered_map<std::string, std::vector<int>> Index;

  static void add(Index* index, const std::string& key, int term);

  std::string m_file;
  Index m_byObjectId, m_bySymbol, m_bySynonym;
  size_t m_rows = 0, m_notRows = 0, m_obsoleteRows = 0, m_unknownRows = 0;
};
