// The modern command line, beside the classic one:
//
//   trellis2 search -k N -i PREFIX [-o DIR] [options]
//
// with the conventions of getopt_long: short and long forms, "--name value"
// and "--name=value", "-x value" and "-xvalue", flags without a value, "--"
// ending the options. It becomes the classic arguments that set the same run
// parameters, so both forms give the same results and files.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// A refused modern command line: one line, without the program's name.
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

struct ModernCommandLine {
  // species, input prefix, output directory, then classic option pairs in the order given.
  std::vector<std::string> classic;
  bool verbose = false;
  std::string outputDir() const { return classic.at(2); }
};

// Parses the arguments after "search". Throws UsageError on an unknown,
// incomplete or refused option, a stray argument, or a combination the run
// would refuse (checked with the classic grammar's own rules).
ModernCommandLine parseModernCommandLine(const std::vector<std::string>& args);

// A classic error message (whole lines, "ERROR: " prefixes) as one line.
std::string oneLine(const std::string& message);
