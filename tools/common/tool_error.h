// The error that ends a command of the tools beside trellis2 (trellis2-prep,
// trellis2-annotate): the program's one error type, whose message names the
// file, the line and the value at fault. A usage error (a bad command line)
// exits with status 2, any other with status 1.
#pragma once

#include "common/error.h"

using ToolError = Error;
