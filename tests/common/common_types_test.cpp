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
  // Ids stay below the limit, so the all-ones id of the dummy node is free.
  EXPECT_EQ(MAX_NETNODES_NUM, 0xFFFFFFFFu);
  EXPECT_LE(1u << MAX_SPECIES, 1024u);
  EXPECT_EQ(sizeof(ushort), 2u);
}

namespace {
struct FatalExitSeen {
  int code;
};
void throwingHandler(int code) { throw FatalExitSeen{code}; }
int handlerCalls = 0;
void countingHandler(int) { ++handlerCalls; }
}  // namespace

TEST(CommonTypesTest, FatalExitHandlerSeesTheCodeAndMayUnwind) {
  setFatalExitHandler(throwingHandler);
  int seen = 0;
  try {
    fatalExit(-3);
  } catch (const FatalExitSeen& e) {
    seen = e.code;
  }
  setFatalExitHandler(nullptr);
  EXPECT_EQ(seen, -3);
}

TEST(CommonTypesDeathTest, FatalExitStillExitsWhenTheHandlerReturns) {
  EXPECT_EXIT(
      {
        setFatalExitHandler(countingHandler);
        fatalExit(-1);
      },
      ::testing::ExitedWithCode(255), "");
  EXPECT_EXIT(fatalExit(-3), ::testing::ExitedWithCode(253), "");
}
