// The line rules shared by trellis2's reader and trellis2-prep check: one table of
// lines, each with the status and, for records, the values read.
#include "network/input_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(InputLineTest, ClassifiesEveryKindOfLine) {
  struct Case {
    std::string line;
    InputFileKind kind;
    InputLineStatus status;
    double value;
  } cases[] = {
      {"# comment", InputFileKind::INTERACTIONS, InputLineStatus::COMMENT, 0},
      {"", InputFileKind::INTERACTIONS, InputLineStatus::MISSING_FIELDS, 0},
      {"a b", InputFileKind::INTERACTIONS, InputLineStatus::MISSING_FIELDS, 0},
      {" a\tb  0.5 extra", InputFileKind::INTERACTIONS, InputLineStatus::RECORD, 0.5},
      {std::string("a\0b\0"
                   "1e-3x",
                   9),
       InputFileKind::INTERACTIONS, InputLineStatus::RECORD, 0.001},
      {"a b weight", InputFileKind::INTERACTIONS, InputLineStatus::NOT_A_NUMBER, 0},
      {"a b nan", InputFileKind::INTERACTIONS, InputLineStatus::NOT_FINITE, 0},
      {"a b 999", InputFileKind::INTERACTIONS, InputLineStatus::OUT_OF_RANGE, 999},
      {"a b -0.1", InputFileKind::INTERACTIONS, InputLineStatus::OUT_OF_RANGE, -0.1},
      {"a b 999", InputFileKind::SIMILARITY, InputLineStatus::RECORD, 999},
      {"a b -1e-5", InputFileKind::SIMILARITY, InputLineStatus::OUT_OF_RANGE, -1e-5},
      {"a b inf", InputFileKind::SIMILARITY, InputLineStatus::NOT_FINITE, 0},
  };
  for (const Case& c : cases) {
    InputRecord rec;
    EXPECT_EQ(parseInputLine(c.line, c.kind, &rec), c.status) << c.line;
    if (c.status == InputLineStatus::RECORD || c.status == InputLineStatus::OUT_OF_RANGE) {
      EXPECT_EQ(rec.value, c.value) << c.line;
      EXPECT_EQ(rec.name1, "a");
      EXPECT_EQ(rec.name2, "b");
    }
  }
  EXPECT_STREQ(inputLineStatusText(InputLineStatus::OUT_OF_RANGE, InputFileKind::INTERACTIONS),
               "weight outside [0, 1]");
  EXPECT_STREQ(inputLineStatusText(InputLineStatus::OUT_OF_RANGE, InputFileKind::SIMILARITY),
               "negative E-value");
}

}  // namespace
