// Reader of BLAST+ and DIAMOND tabular output (-outfmt 6, or 7 with its '#'
// comment lines): the query, subject and E-value columns, found by the column
// list (--columns, as given to -outfmt), else by the "# Fields:" line of
// outfmt 7, else at the default positions (qseqid sseqid pident length mismatch
// gapopen qstart qend sstart send evalue bitscore).
#pragma once

#include <string>
#include <vector>

#include "tools/prep/prep_options.h"

class DropLog;
class PairTable;
class TextInput;

class BlastTabReader {
 public:
  // Throws PrepError for an unknown --from or a column list without query,
  // subject or evalue.
  explicit BlastTabReader(const SimilarityOptions& opts);

  // Reads every hit into *table (the smallest E-value per unordered pair),
  // counting self-hits and hits above --max-evalue in *log. Throws PrepError,
  // naming the file, line and value, on a line that does not fit the columns.
  void read(TextInput* in, PairTable* table, DropLog* log);

 private:
  struct Layout {
    size_t query;
    size_t subject;
    size_t evalue;
  };

  // The layout of a list of column names, given as "-outfmt" keywords
  // (keywords = true) or as the names of an outfmt 7 "# Fields:" line.
  static bool layoutOf(const std::vector<std::string>& names, bool keywords, Layout* out);
  void readHit(const std::string& line, const TextInput& in, PairTable* table, DropLog* log) const;

  const SimilarityOptions m_opts;
  Layout m_layout;
  bool m_fixed;  // --columns given: "# Fields:" lines do not change the layout
};
