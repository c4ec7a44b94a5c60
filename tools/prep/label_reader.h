// Reader of the label sources of 'trellis2-prep labels': UniProt FASTA headers
// (the GN= gene name), STRING protein.info files (the preferred name) and GAF
// 2.x annotation files (the DB Object Symbol of each DB Object ID).
#pragma once

#include "tools/prep/prep_options.h"

class DropLog;
class LabelTable;
class TextInput;

class LabelReader {
 public:
  // Throws a usage PrepError for an unknown --from or a --fasta-id that does not apply.
  explicit LabelReader(const LabelOptions& opts);

  // Reads the whole input into *table, counting every line left out in *log.
  // Throws PrepError, naming the file and line, on input that is not of the format.
  void read(TextInput* in, LabelTable* table, DropLog* log) const;

 private:
  void readFasta(TextInput* in, LabelTable* table, DropLog* log) const;
  void readStringInfo(TextInput* in, LabelTable* table, DropLog* log) const;
  void readGaf(TextInput* in, LabelTable* table, DropLog* log) const;

  const LabelOptions m_opts;
};
