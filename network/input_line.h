// One line of an input file of trellis2, read as the program reads it, with the
// reason when the line is not a record. Shared by the network reader and by the
// input check of trellis2-prep, so that both always agree on what is skipped.
//
// A line whose first character is '#' is a comment. Any other line is a record
// when it holds two names and a number (a numeric prefix of the third token is
// enough; later tokens are ignored), separated by white space or NUL bytes, and
// the number is finite and in range: in [0, 1] for an interaction weight,
// >= 0 for an E-value.
#pragma once

#include <string>

enum class InputFileKind { INTERACTIONS, SIMILARITY };

enum class InputLineStatus {
  RECORD,          // two names and a number in range
  COMMENT,         // starts with '#'
  MISSING_FIELDS,  // fewer than three tokens
  NOT_A_NUMBER,    // the third token does not start with a number
  NOT_FINITE,      // the number is infinite or not a number
  OUT_OF_RANGE,    // a weight outside [0, 1] or a negative E-value
};

struct InputRecord {
  std::string name1;
  std::string name2;
  double value = 0;
};

// Classifies `line` (without its line break) and, for every status but COMMENT
// and MISSING_FIELDS, fills *rec with what was read.
InputLineStatus parseInputLine(const std::string& line, InputFileKind kind, InputRecord* rec);

// Short description of a status that skips a line, e.g. "weight outside [0, 1]".
const char* inputLineStatusText(InputLineStatus status, InputFileKind kind);

// Reads an interaction file the way trellis2 builds a species' network from it,
// so that every reader of these files takes exactly the proteins the program
// had. lines is any reader with `bool next(std::string*)` returning whole lines
// without their line break (and without a CR before it). Calls onRecord(rec)
// for every interaction the network receives, in file order, and
// onIllegal(line) for every line that is skipped with a warning; comments and
// self pairs are skipped silently.
template <class Lines, class OnRecord, class OnIllegal>
void readInteractionRecords(Lines& lines, OnRecord onRecord, OnIllegal onIllegal) {
  std::string line;
  InputRecord rec;
  while (lines.next(&line)) {
    const InputLineStatus status = parseInputLine(line, InputFileKind::INTERACTIONS, &rec);
    if (status == InputLineStatus::COMMENT) continue;
    if (status != InputLineStatus::RECORD) {
      onIllegal(line);
      continue;
    }
    if (rec.name1 != rec.name2) onRecord(rec);
  }
}
