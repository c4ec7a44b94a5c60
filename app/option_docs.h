// The descriptions of the options, all made from the option table: the --help
// text, the man page's OPTIONS section and the README's option table.
#pragma once

#include <string>

// The --help text: both grammars and every option.
std::string helpText();

// The OPTIONS section of trellis2(1), in roff.
std::string manOptions();

// The README's option table, in Markdown.
std::string markdownOptions();

// template with the line "@OPTIONS@" replaced by manOptions().
std::string manPage(const std::string& pageTemplate);
