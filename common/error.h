// The one error type of trellis2 and the tools beside it: the message to show
// and the exit status to end with. Library code throws it; each program's main
// prints the message where that program prints its errors and returns the
// status.
#pragma once

#include <stdexcept>
#include <string>

// Exit statuses of trellis2.
constexpr int EXIT_USAGE = 255;     // command line, unreadable interaction file, refused shard file
constexpr int EXIT_THREADS = 254;   // the threads asked for could not be started
constexpr int EXIT_MODEL = 253;     // unreadable similarity file, illegal model configuration
constexpr int EXIT_OUTPUTS = 252;   // some output files could not be written
constexpr int EXIT_TOO_LARGE = 134; // more proteins than node ids
// Exit statuses of the tools beside it.
constexpr int EXIT_TOOL_INPUT = 1;
constexpr int EXIT_TOOL_USAGE = 2;

class Error : public std::runtime_error {
 public:
  // For trellis2: message holds whole lines, each ending in a newline, printed as they are.
  Error(int status, const std::string& message) : std::runtime_error(message), m_status(status) {}
  // For the tools: one line without its newline; a usage error (a bad command line) or another.
  explicit Error(const std::string& message, bool usage = false)
      : Error(usage ? EXIT_TOOL_USAGE : EXIT_TOOL_INPUT, message) {}

  int status() const { return m_status; }
  bool usage() const { return m_status == EXIT_TOOL_USAGE; }

 private:
  int m_status;
};
