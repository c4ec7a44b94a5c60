#include "app/trellis2.h"

#include <cstdio>

#include "app/command_line.h"
#include "app/pass_results.h"
#include "app/pipeline.h"
#include "common/console.h"
#include "common/error.h"

int trellis2Main(int argc, char** argv) {
  if (printInfoRequest(static_cast<uint>(argc), argv)) return 0;
  // A stage that does one block shows a short log of its own; the run's
  // console is kept aside and shown only when the stage stops on an error.
  const bool blockStage = isBlockStage(static_cast<uint>(argc), argv);
  Console console(blockStage ? Console::BUFFER : Console::STANDARD_OUTPUT);
  try {
    RunParams params;
    startUp(static_cast<uint>(argc), argv, &params, console.out());
    PassResults results(params);
    const int status = Pipeline(params, results, console.out()).run();
    if (blockStage) results.printLog();
    return status;
  } catch (const Error& e) {
    std::fflush(console.out());
    if (blockStage) std::fputs(console.text().c_str(), stdout);
    std::fputs(e.what(), stdout);
    std::fflush(stdout);
    return e.status();
  }
}
