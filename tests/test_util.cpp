#include "test_util.h"

#include "common/error.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testutil {

std::map<std::string, std::string> treeOf(const std::string& root, const std::vector<std::string>& skipped) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> files;
  if (!fs::is_directory(root)) return files;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) {
    const std::string rel = fs::relative(e.path(), root).string();
    bool skip = !e.is_regular_file();
    for (const std::string& prefix : skipped) skip = skip || rel.compare(0, prefix.size(), prefix) == 0;
    if (!skip) files[rel] = readFile(e.path().string());
  }
  return files;
}

std::string withoutCommandLine(const std::string& console) {
  const size_t at = console.find("Cmd line: [");
  if (at == std::string::npos) return console;
  return console.substr(0, at) + console.substr(console.find('\n', at) + 1);
}

TempDir::TempDir() {
  char templ[] = "/tmp/trellis2-test-XXXXXX";
  const char* made = mkdtemp(templ);
  if (!made) throw std::runtime_error("mkdtemp failed");
  m_path = made;
}

TempDir::~TempDir() {
  std::string cmd = "chmod -R u+rwx '" + m_path + "' 2>/dev/null; rm -rf '" + m_path + "'";
  if (std::system(cmd.c_str()) != 0) {
    // nothing more to do: a leftover temporary directory is harmless
  }
}

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

Thrown errorOf(const std::function<void()>& fn) {
  Thrown thrown;
  thrown.console = captureStdout([&] {
    try {
      fn();
    } catch (const Error& e) {
      thrown.status = e.status();
      thrown.message = e.what();
    }
  });
  return thrown;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool fileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::string captureStdout(const std::function<void()>& fn) {
  std::fflush(stdout);
  char templ[] = "/tmp/trellis2-out-XXXXXX";
  int fd = mkstemp(templ);
  if (fd < 0) throw std::runtime_error("mkstemp failed");
  int saved = dup(STDOUT_FILENO);
  dup2(fd, STDOUT_FILENO);
  fn();
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  close(fd);
  std::string text = readFile(templ);
  unlink(templ);
  return text;
}

static std::string shellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

// Runs the shell command `cmd` and collects its standard output and exit status.
static RunResult runCommand(const std::string& cmd) {
  RunResult r{-1, "", ""};
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  int st = pclose(p);
  if (WIFEXITED(st))
    r.status = WEXITSTATUS(st);
  else if (WIFSIGNALED(st))
    r.status = 128 + WTERMSIG(st);
  return r;
}

static std::string commandLine(const char* bin, const std::vector<std::string>& args,
                               const std::string& cwd) {
  std::string cmd;
  if (!cwd.empty()) cmd = "cd " + shellQuote(cwd) + " && ";
  cmd += shellQuote(bin);
  for (const std::string& a : args) cmd += " " + shellQuote(a);
  return cmd;
}

RunResult runTrellis(const std::vector<std::string>& args, const std::string& cwd) {
  return runCommand(commandLine(TRELLIS2_BIN, args, cwd) + " 2>/dev/null");
}

RunResult runTrellisUnder(const std::string& setup, const std::vector<std::string>& args, const std::string& cwd) {
  std::string cmd = commandLine(TRELLIS2_BIN, args, "");
  if (!cwd.empty()) cmd = "cd " + shellQuote(cwd) + " && (" + setup + "; exec " + cmd + ")";
  return runCommand(cmd + " 2>/dev/null");
}

int runSynth(const std::vector<std::string>& args) {
  return runCommand(commandLine(TRELLIS2_SYNTH_BIN, args, "") + " >/dev/null 2>&1").status;
}

// Runs bin keeping its standard error; input (when not empty) on standard input.
static RunResult runTool(const char* bin, const std::vector<std::string>& args, const std::string& cwd,
                         const std::string& input) {
  TempDir tmp;
  std::string cmd = commandLine(bin, args, cwd) + " 2>" + shellQuote(tmp.file("stderr"));
  if (!input.empty()) {
    writeFile(tmp.file("stdin"), input);
    cmd += " <" + shellQuote(tmp.file("stdin"));
  }
  RunResult r = runCommand(cmd);
  r.errors = readFile(tmp.file("stderr"));
  return r;
}

RunResult runPrep(const std::vector<std::string>& args, const std::string& cwd, const std::string& input) {
  return runTool(TRELLIS2_PREP_BIN, args, cwd, input);
}

RunResult runAnnotate(const std::vector<std::string>& args, const std::string& cwd) {
  return runTool(TRELLIS2_ANNOTATE_BIN, args, cwd, "");
}

// Replaces the text between each occurrence of `from` and the next `to` with `with`.
static std::string replaceBetween(const std::string& text, const std::string& from, const std::string& to,
                                  const std::string& with) {
  std::string out;
  size_t pos = 0;
  for (;;) {
    size_t start = text.find(from, pos);
    if (start == std::string::npos) break;
    size_t end = text.find(to, start + from.size());
    if (end == std::string::npos) break;
    out.append(text, pos, start + from.size() - pos);
    out += with;
    pos = end;
  }
  return out + text.substr(pos);
}

std::string normalizeConsole(const std::string& text) {
  std::string t = replaceBetween(text, "build: ", ";", "STAMP");
  return replaceBetween(t, "Elapsed time: ", " sec", "N");
}

}  // namespace testutil
