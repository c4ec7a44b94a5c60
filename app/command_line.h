// The classic command line, the run parameters' echoes and start-up of the
// trellis2 program. The options themselves are rows of app/option_table.h.
//
// Command line: trellis2 <species num> <in prefix> [out prefix] [option value]...
//               trellis2 --check-options [option value]...
//               trellis2 --help | --version
// (the modern form, trellis2 search ..., is app/modern_command_line.h)
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/run_params.h"
#include "common/common_types.h"

// The --help text: both grammars and every option of the table.
std::string helpText();

// For "--help" or "--version" as first argument: prints the help text or the
// version line ("trellis2 <version>") and returns true; otherwise prints nothing.
bool printInfoRequest(uint argc, char** argv);

// Prints "Cmd line: [" and every argument after the program name, each
// followed by a blank, then "]".
void cmdLineDump(uint argc, char** argv, FILE* out);

// Sets params from the command line; the orientation tree's parsing
// diagnostics go to out. Throws an Error (EXIT_USAGE) with the fault (or the
// usage text) when the command line is not valid.
void parseCommandLine(uint argc, char** argv, RunParams* params, FILE* out);

// argv[0..argc-1] as classic option pairs alone, for --check-options (the
// species count is unknown, so an orientation tree is only read). Throws an
// Error (EXIT_USAGE) with the classic message when they are not valid.
void checkOptionPairs(uint argc, char** argv, RunParams* params, FILE* out);

// Prints the run parameters. Throws an Error (EXIT_USAGE) when an ORIENTED
// span type was chosen without an orientation tree.
void printParameters(const RunParams& params, FILE* out);

// The options as the report lists them: name and value (as set or by
// default), in the order of the option table.
std::vector<std::pair<std::string, std::string>> parameterList(const RunParams& params);

// Every option that changes results, as the fingerprint of a split run holds it.
std::string resultOptions(const RunParams& params);

// Handler for failed allocations: reports and aborts.
[[noreturn]] void newhandler();

// Whether the command line asks for a stage that does one block of a split
// run (seeds, grow or refine); read before the command line is parsed.
bool isBlockStage(uint argc, char** argv);

// Whole seconds since the process started.
long elapsedSeconds();
// Prints "Elapsed time: N sec".
void printElapsedTime(FILE* out);

// Banner, command line, parameter printout, random seed, allocation handler
// and output directory, on out. Throws an Error when the run cannot go on.
void startUp(uint argc, char** argv, RunParams* params, FILE* out);
