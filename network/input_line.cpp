#include "network/input_line.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

// White space and NUL both separate tokens, so no name ever holds a NUL.
bool isSeparator(char c) { return c == '\0' || std::isspace(static_cast<unsigned char>(c)); }

// The next token of `line` from *pos on; empty when none is left.
std::string nextToken(const std::string& line, size_t* pos) {
  size_t i = *pos;
  while (i < line.size() && isSeparator(line[i])) ++i;
  size_t start = i;
  while (i < line.size() && !isSeparator(line[i])) ++i;
  *pos = i;
  return line.substr(start, i - start);
}

}  // namespace

InputLineStatus parseInputLine(const std::string& line, InputFileKind kind, InputRecord* rec) {
  if (!line.empty() && line[0] == '#') return InputLineStatus::COMMENT;
  size_t pos = 0;
  rec->name1 = nextToken(line, &pos);
  rec->name2 = nextToken(line, &pos);
  std::string number = nextToken(line, &pos);
  if (rec->name1.empty() || rec->name2.empty() || number.empty()) return InputLineStatus::MISSING_FIELDS;
  char* end = nullptr;
  rec->value = std::strtod(number.c_str(), &end);
  if (end == number.c_str()) return InputLineStatus::NOT_A_NUMBER;
  if (!std::isfinite(rec->value)) return InputLineStatus::NOT_FINITE;
  const bool inRange =
      kind == InputFileKind::INTERACTIONS ? rec->value >= 0 && rec->value <= 1 : rec->value >= 0;
  return inRange ? InputLineStatus::RECORD : InputLineStatus::OUT_OF_RANGE;
}

const char* inputLineStatusText(InputLineStatus status, InputFileKind kind) {
  switch (status) {
    case InputLineStatus::RECORD:
      return "record";
    case InputLineStatus::COMMENT:
      return "comment";
    case InputLineStatus::MISSING_FIELDS:
      return "fewer than two names and a number";
    case InputLineStatus::NOT_A_NUMBER:
      return "third field is not a number";
    case InputLineStatus::NOT_FINITE:
      return "number is not finite";
    case InputLineStatus::OUT_OF_RANGE:
      return kind == InputFileKind::INTERACTIONS ? "weight outside [0, 1]" : "negative E-value";
  }
  return "?";
}
