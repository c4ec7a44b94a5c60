#include "app/run_params.h"

#include <algorithm>
#include <thread>

RunParams::RunParams() : THREADS(std::max(1u, std::thread::hardware_concurrency())) {
  for (weight_t& p : p_true) p = 2.0;
}
