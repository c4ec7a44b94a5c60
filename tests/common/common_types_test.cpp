#include "common/common_types.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/ordered_jobs.h"

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

struct Counter {};

// Jobs 0..count-1 on `threads` threads; job `failing` throws. Returns the
// results taken before the error and the error's message.
std::pair<std::vector<size_t>, std::string> runFailing(uint threads, size_t count, size_t failing) {
  Counter local;
  OrderedJobs<Counter> jobs(threads, &local, [] { return std::unique_ptr<Counter>(new Counter); });
  std::vector<size_t> taken;
  try {
    jobs.run<size_t>(
        count,
        [failing](Counter&, size_t i) {
          if (i == failing) throw Error(EXIT_MODEL, "job " + std::to_string(i) + "\n");
          if (i > failing && i % 7 == 0) throw std::logic_error("a later job's error is never seen");
          return i * i;
        },
        [&taken](size_t, size_t v) { taken.push_back(v); });
  } catch (const Error& e) {
    return {taken, e.what()};
  }
  return {taken, ""};
}

}  // namespace

// A job's error is carried like a result: thrown on the calling thread in its
// turn, after every earlier result was taken, whatever the number of threads.
TEST(OrderedJobsTest, AJobsErrorComesInItsTurn) {
  for (uint threads : {1u, 2u, 4u}) {
    const auto outcome = runFailing(threads, 200, 37);
    ASSERT_EQ(outcome.first.size(), 37u) << threads;
    for (size_t i = 0; i < 37; ++i) EXPECT_EQ(outcome.first[i], i * i);
    EXPECT_EQ(outcome.second, "job 37\n") << threads;
  }
}

// Starts 64 threads with the address space nearly used up, as under
// `ulimit -v`; ends the process with the error's status.
void startThreadsWithoutRoom() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  unsigned long pages = 0;
  if (statm == nullptr || std::fscanf(statm, "%lu", &pages) != 1) std::_Exit(1);
  const rlim_t room = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (16u << 20);
  rlimit limit;
  limit.rlim_cur = limit.rlim_max = room;
  setrlimit(RLIMIT_AS, &limit);
  try {
    Counter local;
    OrderedJobs<Counter> jobs(64, &local, [] { return std::unique_ptr<Counter>(new Counter); });
  } catch (const Error& e) {
    std::fputs(e.what(), stderr);
    std::_Exit(e.status());
  }
  std::_Exit(0);
}

// Threads that cannot be started are an Error with its own exit status, not a crash.
TEST(OrderedJobsDeathTest, ThreadsThatCannotStartAreAnError) {
  EXPECT_EXIT(startThreadsWithoutRoom(), ::testing::ExitedWithCode(EXIT_THREADS),
              "ERROR: Can't start thread [0-9]+ of 64: ");
}
