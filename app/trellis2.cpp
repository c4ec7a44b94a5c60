#include "app/trellis2.h"

int trellis2Main(int argc, char** argv) {
  if (printInfoRequest(static_cast<uint>(argc), argv)) return 0;
  RunParams params;
  startUp(static_cast<uint>(argc), argv, &params);
  return runPipeline(params);
}
