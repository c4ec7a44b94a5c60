#include "tools/prep/string_links_reader.h"

#include "tools/common/text_fields.h"
#include "tools/common/text_input.h"
#include "tools/prep/drop_log.h"
#include "tools/prep/prep_error.h"

namespace {

const char* const COMBINED = "combined_score";

// A STRING score: a whole number from 0 to 1000.
bool parseScore(const std::string& text, int* out) {
  if (text.empty() || text.size() > 4) return false;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v > 1000) return false;
  *out = v;
  return true;
}

}  // namespace

void StringLinksReader::setLayout(const std::vector<std::string>& fields, bool header, const TextInput& in) {
  m_columns = fields.size();
  if (m_columns < 3) {
    throw PrepError(in.where() + "a STRING links line has at least 3 columns, found " +
                    std::to_string(m_columns));
  }
  if (!header) {
    if (!m_opts.channel.empty()) {
      throw PrepError(in.where() + "--channel needs the header line of the file (\"protein1 protein2 ...\")");
    }
    m_scoreColumn = m_columns - 1;  // the combined score is always the last column
    return;
  }
  const std::string wanted = m_opts.channel.empty() ? COMBINED : m_opts.channel;
  for (size_t i = 2; i < m_columns; ++i) {
    if (fields[i] == wanted) {
      m_scoreColumn = i;
      return;
    }
  }
  std::string names;
  for (size_t i = 2; i < m_columns; ++i) names += (i > 2 ? " " : "") + fields[i];
  throw PrepError(in.where() + "no score column " + quoted(wanted) + " in the header (columns: " + names +
                  ")");
}

void StringLinksReader::read(TextInput* in, PairTable* table, DropLog* log) {
  std::string line;
  bool first = true;
  while (in->next(&line)) {
    const std::vector<std::string> fields = splitBlanks(line);
    if (fields.empty()) {
      log->drop("empty line", in->lineNumber());
      continue;
    }
    if (fields[0][0] == '#') {
      log->drop("comment line", in->lineNumber());
      continue;
    }
    if (first) {
      first = false;
      const bool header = fields[0] == "protein1";
      setLayout(fields, header, *in);
      if (header) {
        log->drop("header line", in->lineNumber());
        continue;
      }
    }
    if (fields.size() != m_columns) {
      throw PrepError(in->where() + "expected " + std::to_string(m_columns) + " columns, found " +
                      std::to_string(fields.size()));
    }
    int score = 0;
    if (!parseScore(fields[m_scoreColumn], &score)) {
      throw PrepError(in->where() + "score " + quoted(fields[m_scoreColumn]) +
                      " is not a whole number from 0 to 1000");
    }
    addWeighted(fields[0], fields[1], score / 1000.0, in->lineNumber(), table, log);
  }
}
