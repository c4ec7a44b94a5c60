#include "app/trellis2.h"

int trellis2Main(int argc, char** argv) {
  RunParams params;
  startUp(static_cast<uint>(argc), argv, &params);
  return runPipeline(params);
}
