#include "tools/prep/label_reader.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "tools/common/text_fields.h"
#include "tools/common/text_input.h"
#include "tools/prep/drop_log.h"
#include "tools/prep/label_table.h"
#include "tools/prep/prep_error.h"

namespace {

const char* const GENE_NAME = "GN=";
// GAF 2.x: 17 columns, the last two optional; the object's id and symbol are columns 2 and 3.
constexpr size_t GAF_MIN_COLUMNS = 15;
constexpr size_t GAF_OBJECT_ID = 1, GAF_SYMBOL = 2;

// The protein id of a FASTA header's first word: for "accession" the second
// '|'-separated field when there is one (UniProt's sp|P12345|ENTRY gives
// P12345), else the word itself.
std::string fastaId(const std::string& word, const std::string& kind) {
  if (kind != "accession") return word;
  const std::vector<std::string> fields = splitOn(word, '|');
  return fields.size() > 1 && !fields[1].empty() ? fields[1] : word;
}

// The index of the first column named one of `names`, or -1.
int columnOf(const std::vector<std::string>& header, std::initializer_list<const char*> names) {
  for (size_t i = 0; i < header.size(); ++i) {
    for (const char* name : names) {
      if (header[i] == name) return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace

LabelReader::LabelReader(const LabelOptions& opts) : m_opts(opts) {
  if (opts.from != "fasta" && opts.from != "string-info" && opts.from != "gaf") {
    throw PrepError("--from: " + quoted(opts.from) + " is not a label source (fasta, string-info or gaf)",
                    true);
  }
  if (opts.fastaIdGiven && opts.from != "fasta")
    throw PrepError("--fasta-id applies to --from fasta only", true);
  if (opts.fastaId != "accession" && opts.fastaId != "word") {
    throw PrepError("--fasta-id: " + quoted(opts.fastaId) + " is neither accession nor word", true);
  }
}

void LabelReader::read(TextInput* in, LabelTable* table, DropLog* log) const {
  if (m_opts.from == "fasta") {
    readFasta(in, table, log);
  } else if (m_opts.from == "string-info") {
    readStringInfo(in, table, log);
  } else {
    readGaf(in, table, log);
  }
}

void LabelReader::readFasta(TextInput* in, LabelTable* table, DropLog* log) const {
  std::string line;
  uint64_t headers = 0;
  while (in->next(&line)) {
    if (line.empty() || line[0] != '>') continue;  // sequence lines
    ++headers;
    const std::vector<std::string> words = splitBlanks(line.substr(1));
    if (words.empty()) {
      log->drop("header without a protein name", in->lineNumber());
      continue;
    }
    std::string label;
    for (size_t i = 1; i < words.size() && label.empty(); ++i) {
      if (words[i].compare(0, 3, GENE_NAME) == 0) label = words[i].substr(3);
    }
    if (label.empty()) {
      log->drop("header without a GN= gene name", in->lineNumber());
      continue;
    }
    table->add(fastaId(words[0], m_opts.fastaId), label, in->lineNumber(), log);
  }
  if (headers == 0 && in->lineNumber() > 0) {
    throw PrepError(in->name() + ": no FASTA header line (starting with '>'): is this a FASTA file?");
  }
}

void LabelReader::readStringInfo(TextInput* in, LabelTable* table, DropLog* log) const {
  std::string line;
  int idColumn = -1, nameColumn = -1;
  while (in->next(&line)) {
    if (line.empty()) {
      log->drop("empty line", in->lineNumber());
      continue;
    }
    std::vector<std::string> fields = splitOn(line, '\t');
    if (idColumn < 0) {
      if (fields[0][0] == '#') fields[0].erase(0, 1);
      idColumn = columnOf(fields, {"string_protein_id", "protein_external_id"});
      nameColumn = columnOf(fields, {"preferred_name"});
      if (idColumn < 0 || nameColumn < 0) {
        throw PrepError(in->where() +
                        "not the header of a STRING protein.info file (a tab-separated line naming "
                        "#string_protein_id and preferred_name): " +
                        quoted(line));
      }
      log->drop("header line", in->lineNumber());
      continue;
    }
    if (line[0] == '#') {  // the header again, in files concatenated with zcat
      log->drop("comment or repeated header line ('#')", in->lineNumber());
      continue;
    }
    const size_t needed = static_cast<size_t>(std::max(idColumn, nameColumn)) + 1;
    if (fields.size() < needed) {
      throw PrepError(in->where() + "expected at least " + std::to_string(needed) +
                      " tab-separated columns, found " + std::to_string(fields.size()));
    }
    table->add(fields[idColumn], fields[nameColumn], in->lineNumber(), log);
  }
}

void LabelReader::readGaf(TextInput* in, LabelTable* table, DropLog* log) const {
  std::string line;
  while (in->next(&line)) {
    if (line.empty()) {
      log->drop("empty line", in->lineNumber());
      continue;
    }
    if (line[0] == '!') {
      log->drop("comment line ('!')", in->lineNumber());
      continue;
    }
    const std::vector<std::string> fields = splitOn(line, '\t');
    if (fields.size() < GAF_MIN_COLUMNS) {
      throw PrepError(in->where() + std::to_string(fields.size()) + " tab-separated columns, a GAF row has " +
                      std::to_string(GAF_MIN_COLUMNS) + " to 17: " + quoted(line));
    }
    table->add(fields[GAF_OBJECT_ID], fields[GAF_SYMBOL], in->lineNumber(), log);
  }
}
