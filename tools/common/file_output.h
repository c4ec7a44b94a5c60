// Whole files for the tools beside trellis2: the program's own (common/file_io.h)
// with their failures thrown.
#pragma once

#include <string>

// Writes text to path through a temporary file in the same directory, renamed
// into place: a reader sees the old file or the new one, never half of one, a
// link at path is replaced rather than written through, and a failed write
// leaves the old file as it was. Throws ToolError naming the file and the reason.
void replaceFile(const std::string& path, const std::string& text);

// The whole content of path; false when it does not exist. Throws ToolError
// when it exists but cannot be read.
bool readFileIfThere(const std::string& path, std::string* text);
