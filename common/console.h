// Where a run's messages go. Every phase is handed the console's stream and
// prints there: standard output for a classic run in one process; a buffer in
// memory for a stage of a split run, which shows a short log of its own and
// the run's console only when it stops on an error; or a file, as the modern
// command line keeps it, optionally shown on a second stream as well.
#pragma once

#include <cstdio>
#include <string>
#include <thread>

class Console {
 public:
  enum Kind { STANDARD_OUTPUT, BUFFER };

  explicit Console(Kind kind = STANDARD_OUTPUT);
  // Into file (not owned); with a mirror, everything also goes there as it is written.
  Console(FILE* file, FILE* mirror);
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // The stream the phases print to.
  FILE* out() const { return m_out; }
  // Everything printed so far into a buffer; empty for the other kinds.
  std::string text();
  // Into a file with a mirror: waits until all that was printed has reached
  // both; what is printed afterwards goes to the file alone.
  void finish();

 private:
  FILE* m_out;
  FILE* m_file = nullptr;    // into a file: the file
  bool m_buffered = false;   // m_out is a buffer in memory, closed here
  char* m_buffer = nullptr;  // the buffer's bytes (open_memstream)
  size_t m_size = 0;
  std::thread m_copier;      // into a file with a mirror: from m_out's pipe to both
};
