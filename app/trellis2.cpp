#include "app/trellis2.h"

#include "app/pass_results.h"
#include "app/stage_console.h"

int trellis2Main(int argc, char** argv) {
  if (printInfoRequest(static_cast<uint>(argc), argv)) return 0;
  StageConsole console;
  const bool blockStage = isBlockStage(static_cast<uint>(argc), argv);
  if (blockStage) console.divert();
  RunParams params;
  startUp(static_cast<uint>(argc), argv, &params);
  PassResults results(params);
  const int status = runPipeline(params, results);
  console.restore();
  if (blockStage) results.printLog();
  return status;
}
