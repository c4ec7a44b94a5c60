// Helpers shared by the test programs: temporary files, captured output and
// runs of the real binary.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testutil {

// A fresh empty directory under /tmp, removed with its contents on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return m_path; }
  std::string file(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

void writeFile(const std::string& path, const std::string& text);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);

// Runs fn and returns everything it wrote to standard output.
std::string captureStdout(const std::function<void()>& fn);

// Runs fn: what it printed on standard output, and the status and message of
// the Error it threw (status 0 and no message when it threw none).
struct Thrown {
  int status = 0;
  std::string message;
  std::string console;
};
Thrown errorOf(const std::function<void()>& fn);

struct RunResult {
  int status;          // exit status as the shell sees it; 128+signal when killed
  std::string output;  // standard output
  std::string errors;  // standard error (runPrep and runAnnotate only)
};

// Runs the trellis2 binary with the given arguments in directory cwd
// (the current directory when empty).
RunResult runTrellis(const std::vector<std::string>& args, const std::string& cwd = "");

// The same after the shell commands of setup (limits, traps), in a subshell of its own.
RunResult runTrellisUnder(const std::string& setup, const std::vector<std::string>& args, const std::string& cwd);

// Runs the synthetic data generator with the given arguments; its exit status.
int runSynth(const std::vector<std::string>& args);

// Runs the trellis2-prep binary likewise, keeping its standard error too; input
// (when not empty) is given on standard input.
RunResult runPrep(const std::vector<std::string>& args, const std::string& cwd = "",
                  const std::string& input = "");

// Runs the trellis2-annotate binary likewise, keeping its standard error.
RunResult runAnnotate(const std::vector<std::string>& args, const std::string& cwd = "");

// Relative path -> content of every regular file below root, except those
// whose relative path starts with one of the skipped prefixes.
std::map<std::string, std::string> treeOf(const std::string& root, const std::vector<std::string>& skipped = {});

// The console without the echo of the command line ("Cmd line: [...]").
std::string withoutCommandLine(const std::string& console);

// Drops the parts of the console output that change from run to run:
// the build stamp and the elapsed-time seconds.
std::string normalizeConsole(const std::string& text);

}  // namespace testutil
