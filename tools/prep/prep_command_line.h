// The command line of trellis2-prep: the arguments of each command (after its
// name) into its options, and the help texts.
#pragma once

#include <string>
#include <vector>

#include "tools/prep/prep_options.h"

// Each throws a usage PrepError naming the argument at fault. Options take
// their value as the next argument or after '='; exactly one INPUT ("-" for
// standard input) is expected.
InteractionOptions parseInteractionArgs(const std::vector<std::string>& args);
SimilarityOptions parseSimilarityArgs(const std::vector<std::string>& args);
CheckOptions parseCheckArgs(const std::vector<std::string>& args);
LabelOptions parseLabelArgs(const std::vector<std::string>& args);

// The help of a command ("interactions", "similarity", "check", "labels"), or of the
// program for any other name.
const char* helpText(const std::string& command);
