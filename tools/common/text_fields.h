// Splitting and number handling shared by the readers of the tools beside trellis2.
#pragma once

#include <string>
#include <vector>

// The fields of a line separated by `sep`; empty fields are kept.
std::vector<std::string> splitOn(const std::string& line, char sep);

// The fields of a line separated by runs of blanks (white space or NUL bytes).
std::vector<std::string> splitBlanks(const std::string& line);

// Tab-separated when the line holds a tab (names may then hold blanks, which
// the caller rejects), otherwise blank-separated.
std::vector<std::string> splitTabsOrBlanks(const std::string& line);

// The entries of a PSI-MITAB cell, separated by '|' outside double quotes.
std::vector<std::string> splitMitabList(const std::string& cell);

// The whole text is a finite number.
bool parseNumber(const std::string& text, double* out);

// The shortest decimal form that reads back as exactly `value`.
std::string formatNumber(double value);

// A name trellis2 reads back as one name: not empty, no blank or NUL byte, not
// starting with '#' (which would turn the line into a comment).
bool isValidName(const std::string& name);

// `text` in single quotes, shortened to 60 characters, for messages.
std::string quoted(const std::string& text);
