#include "app/stage_console.h"

#include <unistd.h>

#include <cstdio>

#include "common/common_types.h"

namespace {

// The process has one standard output, so one diversion at a time.
int saved_stdout = -1;
std::FILE* scratch = nullptr;

// On an error exit: the diverted console, then the rest on the real output.
void showDivertedConsole() {
  if (saved_stdout < 0) return;
  std::fflush(stdout);
  dup2(saved_stdout, STDOUT_FILENO);
  close(saved_stdout);
  saved_stdout = -1;
  std::rewind(scratch);
  char buffer[1 << 14];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, scratch)) > 0) std::fwrite(buffer, 1, n, stdout);
  std::fflush(stdout);
  std::fclose(scratch);
  scratch = nullptr;
}

}  // namespace

void StageConsole::divert() {
  if (saved_stdout >= 0) return;
  scratch = std::tmpfile();
  if (scratch == nullptr) return;  // the console then stays where it is
  std::fflush(stdout);
  saved_stdout = dup(STDOUT_FILENO);
  dup2(fileno(scratch), STDOUT_FILENO);
  setExitReporter(showDivertedConsole);
}

void StageConsole::restore() {
  if (saved_stdout < 0) return;
  setExitReporter(nullptr);
  std::fflush(stdout);
  dup2(saved_stdout, STDOUT_FILENO);
  close(saved_stdout);
  saved_stdout = -1;
  std::fclose(scratch);
  scratch = nullptr;
}
