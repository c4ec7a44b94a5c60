#include "tools/common/text_fields.h"
#include "common/text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

bool isBlank(char c) { return c == '\0' || std::isspace(static_cast<unsigned char>(c)); }

}  // namespace

std::vector<std::string> splitOn(const std::string& line, char sep) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t end = line.find(sep, start);
    if (end == std::string::npos) break;
    fields.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

std::vector<std::string> splitBlanks(const std::string& line) {
  std::vector<std::string> fields;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isBlank(line[i])) ++i;
    const size_t start = i;
    while (i < line.size() && !isBlank(line[i])) ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

std::vector<std::string> splitTabsOrBlanks(const std::string& line) {
  return line.find('\t') == std::string::npos ? splitBlanks(line) : splitOn(line, '\t');
}

std::vector<std::string> splitMitabList(const std::string& cell) {
  std::vector<std::string> entries;
  std::string current;
  bool inQuotes = false;
  for (size_t i = 0; i < cell.size(); ++i) {
    const char c = cell[i];
    if (inQuotes && c == '\\' && i + 1 < cell.size()) {
      current += c;
      current += cell[++i];
      continue;
    }
    if (c == '"') inQuotes = !inQuotes;
    if (c == '|' && !inQuotes) {
      entries.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  entries.push_back(current);
  return entries;
}

bool parseNumber(const std::string& text, double* out) {
  return !text.empty() && !isBlank(text[0]) && parseReal(text, out);
}

std::string formatNumber(double value) {
  char buf[64];
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}

bool isValidName(const std::string& name) {
  if (name.empty() || name[0] == '#') return false;
  for (char c : name) {
    if (isBlank(c)) return false;
  }
  return true;
}

std::string quoted(const std::string& text) {
  if (text.size() <= 60) return "'" + text + "'";
  return "'" + text.substr(0, 57) + "...'";
}
