// The trellis2 program: command line, run parameters and the search pipeline.
#pragma once

// Runs the whole program; returns the process exit status.
int trellis2Main(int argc, char** argv);
