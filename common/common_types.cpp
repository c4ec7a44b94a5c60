#include "common/common_types.h"

#include <cstdio>
#include <cstdlib>

void trellisAssertFail(const char* expr, const char* file, int line, const char* func) {
  std::printf("Assertion failed: %s, file %s, line %d, function %s\n", expr, file, line, func);
  std::fflush(stdout);
  std::abort();
}
