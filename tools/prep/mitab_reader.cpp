#include "tools/prep/mitab_reader.h"

#include <cctype>

#include "tools/common/text_fields.h"
#include "tools/common/text_input.h"
#include "tools/prep/drop_log.h"
#include "tools/prep/prep_error.h"

namespace {

constexpr size_t MITAB_COLUMNS = 15;
constexpr size_t ID_A = 0, ID_B = 1, ALT_A = 2, ALT_B = 3, TAXID_A = 9, TAXID_B = 10, CONFIDENCE = 14;

// One "db:value(description)" entry; quotes around a part protect reserved characters.
struct Entry {
  std::string db;
  std::string value;
};

std::string unquote(const std::string& s) {
  if (s.size() < 2 || s.front() != '"' || s.back() != '"') return s;
  std::string out;
  for (size_t i = 1; i + 1 < s.size(); ++i) {
    if (s[i] == '\\' && i + 2 < s.size()) ++i;
    out += s[i];
  }
  return out;
}

Entry parseEntry(const std::string& text) {
  bool inQuotes = false;
  size_t colon = std::string::npos, paren = text.size();
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inQuotes && c == '\\') {
      ++i;
    } else if (c == '"') {
      inQuotes = !inQuotes;
    } else if (!inQuotes && c == ':' && colon == std::string::npos) {
      colon = i;
    } else if (!inQuotes && c == '(' && colon != std::string::npos) {
      paren = i;
      break;
    }
  }
  if (colon == std::string::npos) return Entry{"", unquote(text)};
  return Entry{unquote(text.substr(0, colon)), unquote(text.substr(colon + 1, paren - colon - 1))};
}

bool sameWord(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
  }
  return i == a.size() && !b[i];
}

// The value of the first entry of database `db` in the cell; empty when none.
std::string firstOf(const std::string& cell, const char* db) {
  if (cell == "-") return std::string();
  for (const std::string& e : splitMitabList(cell)) {
    Entry entry = parseEntry(e);
    if (sameWord(entry.db, db) && !entry.value.empty()) return entry.value;
  }
  return std::string();
}

std::string uniprotId(const std::string& ids, const std::string& altIds) {
  std::string id = firstOf(ids, "uniprotkb");
  return id.empty() ? firstOf(altIds, "uniprotkb") : id;
}

}  // namespace

void MitabReader::read(TextInput* in, PairTable* table, DropLog* log) {
  std::string line;
  while (in->next(&line)) {
    if (line.empty()) {
      log->drop("empty line", in->lineNumber());
    } else if (line[0] == '#') {
      log->drop(in->lineNumber() == 1 ? "header line" : "comment line", in->lineNumber());
    } else {
      readRow(splitOn(line, '\t'), *in, table, log);
    }
  }
  m_organisms.finish(in->name());
}

void MitabReader::readRow(const std::vector<std::string>& fields, const TextInput& in, PairTable* table,
                          DropLog* log) {
  const uint64_t n = in.lineNumber();
  if (fields.size() < MITAB_COLUMNS) {
    throw PrepError(in.where() + "a PSI-MITAB line has at least 15 tab-separated columns, found " +
                    std::to_string(fields.size()));
  }
  const std::string a = uniprotId(fields[ID_A], fields[ALT_A]);
  const std::string b = uniprotId(fields[ID_B], fields[ALT_B]);
  if (a.empty() || b.empty()) {
    log->drop("interactor without a uniprotkb: identifier", n);
    return;
  }
  if (!m_organisms.accept(firstOf(fields[TAXID_A], "taxid"), firstOf(fields[TAXID_B], "taxid"), n, log))
    return;
  double weight = 1;
  const std::string score = firstOf(fields[CONFIDENCE], "intact-miscore");
  if (!score.empty() && (!parseNumber(score, &weight) || weight < 0 || weight > 1)) {
    throw PrepError(in.where() + "intact-miscore " + quoted(score) + " is not a number in [0, 1]");
  }
  addWeighted(a, b, weight, n, table, log);
}
