// Where a run's messages go. Every phase is handed the console's stream and
// prints there: standard output for a run in one process, or a buffer in
// memory for a stage of a split run, which shows a short log of its own and
// the run's console only when it stops on an error.
#pragma once

#include <cstdio>
#include <string>

class Console {
 public:
  enum Kind { STANDARD_OUTPUT, BUFFER };

  explicit Console(Kind kind = STANDARD_OUTPUT);
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // The stream the phases print to.
  FILE* out() const { return m_out; }
  // Everything printed so far into a buffer; empty for standard output.
  std::string text();

 private:
  FILE* m_out;
  char* m_buffer = nullptr;  // the buffer's bytes (open_memstream)
  size_t m_size = 0;
};
