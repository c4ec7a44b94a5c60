// The error that ends a trellis2-prep command: its message names the file, the
// line and the value at fault. A usage error (a bad command line) exits with
// status 2, any other with status 1.
#pragma once

#include "tools/common/tool_error.h"

using PrepError = ToolError;
