#include "common/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace {

// O_EXCL never opens what is already there, a link included; the counter
// tells apart the files one process has open at once.
int createTemporary(const std::string& path, std::string* name) {
  static_assert(sizeof(pid_t) <= sizeof(long), "pid fits a long");
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    *name = path + ".tmp." + std::to_string(static_cast<long>(getpid())) + "." + std::to_string(attempt);
    const int fd = open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

OutputFile::OutputFile(std::string path) : m_path(std::move(path)) {
  const int fd = createTemporary(m_path, &m_temporary);
  if (fd < 0) return;
  m_stream = fdopen(fd, "wb");
  if (m_stream == nullptr) {
    const int saved = errno;
    close(fd);
    unlink(m_temporary.c_str());
    errno = saved;
  }
}

OutputFile::~OutputFile() { discard(); }

void OutputFile::discard() {
  if (m_stream == nullptr) return;
  const int saved = errno;
  std::fclose(m_stream);
  m_stream = nullptr;
  unlink(m_temporary.c_str());
  errno = saved;
}

bool OutputFile::commit(bool durable) {
  if (m_stream == nullptr) return false;
  bool ok = std::fflush(m_stream) == 0 && std::ferror(m_stream) == 0;
  if (ok && durable) ok = fsync(fileno(m_stream)) == 0;
  if (!ok) {
    discard();
    return false;
  }
  FILE* stream = m_stream;
  m_stream = nullptr;
  if (std::fclose(stream) != 0 || std::rename(m_temporary.c_str(), m_path.c_str()) != 0) {
    const int saved = errno;
    unlink(m_temporary.c_str());
    errno = saved;
    return false;
  }
  return true;
}

bool writeWholeFile(const std::string& path, const std::string& text, bool durable) {
  OutputFile file(path);
  if (!file.ok()) return false;
  if (std::fwrite(text.data(), 1, text.size(), file.stream()) != text.size()) return false;
  return file.commit(durable);
}

bool readWholeFile(const std::string& path, std::string* text) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  text->clear();
  char buffer[1 << 16];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text->append(buffer, n);
  const bool failed = std::ferror(f) != 0;
  const int saved = errno;
  std::fclose(f);
  if (failed) errno = saved != 0 ? saved : EIO;
  return !failed;
}
