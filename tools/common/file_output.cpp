#include "tools/common/file_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/common/tool_error.h"

void replaceFile(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".tmp";
  FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) throw ToolError(path + ": cannot write: " + std::strerror(errno));
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  int error = errno;
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    std::remove(temporary.c_str());
    throw ToolError(path + ": cannot write: " + std::strerror(error));
  }
}

bool readWholeFile(const std::string& path, std::string* text) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    if (errno == ENOENT) return false;
    throw ToolError(path + ": cannot open: " + std::strerror(errno));
  }
  text->clear();
  char buf[1 << 16];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text->append(buf, n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) throw ToolError(path + ": read error");
  return true;
}
