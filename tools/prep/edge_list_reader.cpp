#include "tools/prep/edge_list_reader.h"

#include "tools/common/text_fields.h"
#include "tools/common/text_input.h"
#include "tools/prep/drop_log.h"
#include "tools/prep/prep_error.h"

EdgeListReader::Layout EdgeListReader::detect(const std::vector<std::string>& fields) {
  double w = 0;
  if (fields.size() == 2) return Layout::PAIRS;
  if (fields.size() >= 3 && parseNumber(fields[2], &w)) return Layout::WEIGHTED;
  return Layout::SIF;
}

void EdgeListReader::read(TextInput* in, PairTable* table, DropLog* log) {
  std::string line;
  while (in->next(&line)) {
    if (!line.empty() && line[0] == '#') {
      log->drop("comment line", in->lineNumber());
      continue;
    }
    const std::vector<std::string> fields = splitTabsOrBlanks(line);
    if (fields.empty() || (fields.size() == 1 && fields[0].empty())) {
      log->drop("empty line", in->lineNumber());
      continue;
    }
    if (m_layout == Layout::UNKNOWN) m_layout = detect(fields);
    if (m_layout == Layout::SIF) {
      readSif(fields, *in, table, log);
    } else {
      readPair(fields, *in, table, log);
    }
  }
}

void EdgeListReader::readPair(const std::vector<std::string>& fields, const TextInput& in, PairTable* table,
                              DropLog* log) {
  const bool weighted = m_layout == Layout::WEIGHTED;
  if (weighted ? fields.size() < 3 : fields.size() != 2) {
    throw PrepError(in.where() + "expected " + (weighted ? "3" : "2") +
                    " columns like the first line, found " + std::to_string(fields.size()));
  }
  double weight = 1;
  if (weighted && (!parseNumber(fields[2], &weight) || weight < 0 || weight > 1)) {
    throw PrepError(in.where() + "weight " + quoted(fields[2]) + " is not a number in [0, 1]");
  }
  addWeighted(fields[0], fields[1], weight, in.lineNumber(), table, log);
}

void EdgeListReader::readSif(const std::vector<std::string>& fields, const TextInput& in, PairTable* table,
                             DropLog* log) {
  if (fields.size() == 1) {
    log->drop("protein without interactions (SIF node line)", in.lineNumber());
    return;
  }
  if (fields.size() == 2) {
    throw PrepError(in.where() + "a SIF line is \"A relation B [C ...]\"; found 2 fields");
  }
  double number = 0;
  for (size_t i = 2; i < fields.size(); ++i) {
    // A number among the targets means a weighted list read as SIF because of a header line.
    if (parseNumber(fields[i], &number)) {
      throw PrepError(in.where() + "read as SIF (from the first line), but " + quoted(fields[i]) +
                      " is a number; remove a header line or start it with '#'");
    }
    addWeighted(fields[0], fields[i], 1.0, in.lineNumber(), table, log);
  }
}
