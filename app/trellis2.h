// The trellis2 program: command line and run parameters, the search pipeline
// and the output files.
#pragma once

#include "app/command_line.h"
#include "app/output_files.h"
#include "app/pipeline.h"

// Runs the whole program; returns the process exit status.
int trellis2Main(int argc, char** argv);
