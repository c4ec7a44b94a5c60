// Text helpers shared by every module: printf-style formatting into strings
// and the strict reading of numbers that options and input fields take.
#pragma once

#include <cstdint>
#include <string>

// printf into a string.
std::string strFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
