#include "tools/common/file_output.h"

#include <cerrno>
#include <cstring>

#include "common/file_io.h"
#include "tools/common/tool_error.h"

void replaceFile(const std::string& path, const std::string& text) {
  if (!writeWholeFile(path, text)) throw ToolError(path + ": cannot write: " + std::strerror(errno));
}

bool readFileIfThere(const std::string& path, std::string* text) {
  if (readWholeFile(path, text)) return true;
  if (errno == ENOENT) return false;
  throw ToolError(path + ": cannot read: " + std::strerror(errno));
}
