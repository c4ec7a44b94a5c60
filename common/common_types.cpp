#include "common/common_types.h"

#include <cstdio>
#include <cstdlib>

void trellisAssertFail(const char* expr, const char* file, int line, const char* func) {
  std::printf("Assertion failed: %s, file %s, line %d, function %s\n", expr, file, line, func);
  std::fflush(stdout);
  reportExit();
  std::abort();
}

namespace {
exit_reporter_t exit_reporter = nullptr;
}  // namespace

void setExitReporter(exit_reporter_t reporter) { exit_reporter = reporter; }

void reportExit() {
  const exit_reporter_t reporter = exit_reporter;
  exit_reporter = nullptr;
  std::fflush(stdout);
  if (reporter) reporter();
}

namespace {
fatal_exit_handler_t fatal_exit_handler = nullptr;
}  // namespace

void setFatalExitHandler(fatal_exit_handler_t handler) { fatal_exit_handler = handler; }

namespace {
thread_local bool on_worker_thread = false;
}  // namespace

void setWorkerThread(bool worker) { on_worker_thread = worker; }

void fatalMessage(int code, const std::string& text) {
  if (on_worker_thread) throw DeferredExit{code, text};
  std::fputs(text.c_str(), stdout);
  fatalExit(code);
}

void fatalExit(int code) {
  std::fflush(stdout);
  reportExit();
  if (fatal_exit_handler) fatal_exit_handler(code);
  std::exit(code);
}
