// The command line of trellis2-annotate: OUTDIR and the options, into
// AnnotateOptions; and the help text.
#pragma once

#include <string>
#include <vector>

#include "tools/annotate/annotate_options.h"

// args without the program name. Options take their value as the next
// argument or after '='. Throws a usage ToolError naming the argument at fault:
// an unknown option, a value out of range, a species index given twice, --obo
// without --gaf or the reverse, or nothing asked for (neither analysis nor
// --controls, which alone measures the parts and their controls in every
// species). Species indexes
// are checked against the run later, when its species count is known.
AnnotateOptions parseAnnotateArgs(const std::vector<std::string>& args);

const char* annotateHelpText();
