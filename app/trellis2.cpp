#include "app/trellis2.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/modern_command_line.h"
#include "app/output_dir.h"
#include "app/pass_results.h"
#include "app/pipeline.h"
#include "common/console.h"
#include "common/error.h"
#include "common/file_io.h"

namespace {

// The classic grammar's arguments as a C argument vector, the program's name first.
class ArgVector {
 public:
  explicit ArgVector(const std::vector<std::string>& args) : m_args(args) {
    m_args.insert(m_args.begin(), "trellis2");
    for (std::string& a : m_args) m_pointers.push_back(&a[0]);
  }
  uint argc() const { return static_cast<uint>(m_pointers.size()); }
  char** argv() { return m_pointers.data(); }

 private:
  std::vector<std::string> m_args;
  std::vector<char*> m_pointers;
};

// A run after start-up: the pipeline on the console given; the status.
int run(uint argc, char** argv, FILE* console, const Pipeline::Notes& notes, RunParams* params,
        bool* blockStageLog) {
  startUp(argc, argv, params, console);
  PassResults results(*params);
  Pipeline pipeline(*params, results, console);
  pipeline.setNotes(notes);
  const int status = pipeline.run();
  if (*blockStageLog) results.printLog();
  return status;
}

int classicMain(uint argc, char** argv) {
  // A stage that does one block shows a short log of its own; the run's
  // console is kept aside and shown only when the stage stops on an error.
  bool blockStage = isBlockStage(argc, argv);
  Console console(blockStage ? Console::BUFFER : Console::STANDARD_OUTPUT);
  try {
    RunParams params;
    return run(argc, argv, console.out(), Pipeline::Notes(), &params, &blockStage);
  } catch (const Error& e) {
    std::fflush(console.out());
    if (blockStage) std::fputs(console.text().c_str(), stdout);
    std::fputs(e.what(), stdout);
    std::fflush(stdout);
    return e.status();
  }
}

// trellis2 --check-options OPTIONS...: silent and 0 when the classic option
// pairs are valid, else one line on standard error and 2.
int checkOptionsMain(uint argc, char** argv) {
  RunParams params;
  params.species_num = 0;
  Console quiet(Console::BUFFER);
  try {
    checkOptionPairs(argc, argv, &params, quiet.out());
  } catch (const Error& e) {
    std::fprintf(stderr, "trellis2: %s\n", oneLine(e.what()).c_str());
    return EXIT_TOOL_USAGE;
  }
  return 0;
}

// trellis2 search ...: the method's console goes to OUT/console.txt (and to
// standard output with --verbose); standard output gets a line per phase.
int modernMain(const std::vector<std::string>& args) {
  ModernCommandLine command;
  try {
    command = parseModernCommandLine(args);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "trellis2: %s (see trellis2 --help)\n", e.what());
    return EXIT_TOOL_USAGE;
  }
  const std::string outDir = command.outputDir();
  if (!makeOutputDirectory(outDir)) {
    std::fprintf(stderr, "trellis2: Can't create output directory: %s\n", outDir.c_str());
    return EXIT_USAGE;
  }
  OutputFile consoleFile(outDir + "/console.txt");
  if (!consoleFile.ok()) {
    std::fprintf(stderr, "trellis2: Can't create file: %s/console.txt\n", outDir.c_str());
    return EXIT_OUTPUTS;
  }
  Console console(consoleFile.stream(), command.verbose ? stdout : nullptr);
  Pipeline::Notes notes;
  notes.step = [](const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  };
  notes.warning = [](const std::string& line) { std::fprintf(stderr, "trellis2: warning: %s\n", line.c_str()); };
  ArgVector classic(command.classic);
  int status = 0;
  bool blockStage = isBlockStage(classic.argc(), classic.argv());
  try {
    RunParams params;
    status = run(classic.argc(), classic.argv(), console.out(), notes, &params, &blockStage);
  } catch (const Error& e) {
    std::fputs(e.what(), console.out());
    std::fprintf(stderr, "trellis2: %s\n", oneLine(e.what()).c_str());
    status = e.status();
  }
  console.finish();
  if (!consoleFile.commit()) {
    std::fprintf(stderr, "trellis2: Can't create file: %s/console.txt\n", outDir.c_str());
    if (status == 0) status = EXIT_OUTPUTS;
  }
  return status;
}

}  // namespace

int trellis2Main(int argc, char** argv) {
  const uint count = static_cast<uint>(argc);
  if (printInfoRequest(count, argv)) return 0;
  const std::string first = count > 1 ? argv[1] : "";
  if (first == "--check-options") return checkOptionsMain(count - 2, argv + 2);
  if (first == "search") return modernMain(std::vector<std::string>(argv + 2, argv + argc));
  return classicMain(count, argv);
}
