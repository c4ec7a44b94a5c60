// Text helpers shared by every module: printf-style formatting into strings
// and the strict reading of numbers that options and input fields take.
#pragma once

#include <cstdint>
#include <string>

// A field as tab-separated readers take it: as is, or in double quotes with
// inner quotes doubled when it holds a quote (which readers would otherwise
// take as the start of a quoted field).
std::string tsvField(const std::string& text);

// printf into a string.
std::string strFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The whole text is a finite number, in strtod's syntax (which skips leading
// white space).
bool parseReal(const std::string& text, double* out);

// The whole text is an integer in strtoll's syntax (leading white space and a
// sign accepted) that fits a long long.
bool parseInteger(const std::string& text, long long* out);

// text is 1 to 19 decimal digits and nothing else, of a value at most max:
// the form ids and counts take in file names and tables.
bool parseDigits(const std::string& text, uint64_t max, uint64_t* out);
