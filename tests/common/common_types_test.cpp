#include "common/common_types.h"

#include <gtest/gtest.h>
#include <unistd.h>

TEST(CommonTypesDeathTest, AssertionPrintsExpressionFileLineAndFunction) {
  EXPECT_DEATH(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        TRELLIS_ASSERT(1 + 1 == 3);
      },
      "Assertion failed: 1 \\+ 1 == 3, file .*common_types_test.cpp, line [0-9]+, function TestBody");
}

TEST(CommonTypesTest, LimitsFitTheirTypes) {
  EXPECT_LT(MAX_NETNODES_NUM - 1, 1u << 16);
  EXPECT_LE(1u << MAX_SPECIES, 1024u);
  EXPECT_EQ(sizeof(ushort), 2u);
}
