#include "tools/prep/trellis_probe.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "app/command_line.h"
#include "common/common_types.h"
#include "network/netbuilder.h"
#include "network/network.h"
#include "tools/prep/prep_error.h"

namespace {

// Thrown by the fatal-exit handler, so that an error exit of the program
// unwinds back to the probe instead of ending the process.
struct ProgramExit {
  int code;
};

void throwProgramExit(int code) { throw ProgramExit{code}; }

// Sends standard output to a temporary file while alive; text() reads what was written.
class StdoutCapture {
 public:
  StdoutCapture() : m_file(std::tmpfile()), m_saved(-1) {
    if (!m_file) throw PrepError("cannot create a temporary file");
    std::fflush(stdout);
    m_saved = dup(STDOUT_FILENO);
    if (m_saved < 0 || dup2(fileno(m_file), STDOUT_FILENO) < 0)
      throw PrepError("cannot redirect standard output");
  }
  ~StdoutCapture() {
    restore();
    std::fclose(m_file);
  }
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;

  void restore() {
    if (m_saved < 0) return;
    std::fflush(stdout);
    dup2(m_saved, STDOUT_FILENO);
    close(m_saved);
    m_saved = -1;
  }
  std::string text() {
    restore();
    std::string out;
    std::rewind(m_file);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, m_file)) > 0) out.append(buf, n);
    return out;
  }

 private:
  FILE* m_file;
  int m_saved;
};

// The lines of the program's output that explain an error exit.
std::string failureLines(const std::string& output) {
  std::string out;
  size_t pos = 0;
  while (pos < output.size()) {
    size_t end = output.find('\n', pos);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(pos, end - pos);
    if (line.compare(0, 5, "ERROR") == 0 || line.compare(0, 7, "Illegal") == 0) out += line + "\n";
    pos = end + 1;
  }
  return out.empty() ? "trellis2 stopped without a message\n" : out;
}

}  // namespace

TrellisProbe::TrellisProbe(uint32_t species, std::string prefix, double threshold, double beta)
    : m_species(species), m_prefix(std::move(prefix)), m_threshold(threshold), m_beta(beta) {}

void TrellisProbe::readAndFinalize() {
  Network network(m_species);
  NetworkBuiler builder(&network, m_threshold, 0);
  builder.readNetwork(m_prefix);
  const RunParams defaults;  // the true-interaction factors of a run
  network.finalize(m_beta, defaults.p_true);
  m_hubPairs.clear();
  for (uint32_t s = 0; s < m_species; ++s) m_hubPairs.push_back(network.hubPairs(static_cast<byte>(s)));
}

bool TrellisProbe::run() {
  m_failure.clear();
  StdoutCapture capture;
  setFatalExitHandler(throwProgramExit);
  bool ok = true;
  try {
    readAndFinalize();
  } catch (const ProgramExit&) {
    ok = false;
  } catch (...) {
    setFatalExitHandler(nullptr);
    throw;
  }
  setFatalExitHandler(nullptr);
  const std::string output = capture.text();
  if (!ok) m_failure = failureLines(output);
  return ok;
}
