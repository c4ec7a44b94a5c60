#include "common/console.h"

#include <unistd.h>

#include <cstdlib>

Console::Console(Kind kind) : m_out(stdout) {
  if (kind == STANDARD_OUTPUT) return;
  m_out = open_memstream(&m_buffer, &m_size);
  m_buffered = m_out != nullptr;
  // Without memory for the buffer the messages go where they would in one process.
  if (m_out == nullptr) m_out = stdout;
}

Console::Console(FILE* file, FILE* mirror) : m_out(file), m_file(file) {
  int ends[2];
  if (mirror == nullptr || pipe(ends) != 0) return;
  FILE* writer = fdopen(ends[1], "w");
  if (writer == nullptr) {
    close(ends[0]);
    close(ends[1]);
    return;
  }
  const int reader = ends[0];
  m_copier = std::thread([reader, file, mirror] {
    char chunk[1 << 14];
    ssize_t n = 0;
    while ((n = read(reader, chunk, sizeof chunk)) > 0) {
      std::fwrite(chunk, 1, static_cast<size_t>(n), file);
      std::fwrite(chunk, 1, static_cast<size_t>(n), mirror);
      std::fflush(mirror);
    }
    close(reader);
  });
  m_out = writer;
}

Console::~Console() {
  finish();
  if (m_buffered) std::fclose(m_out);
  std::free(m_buffer);
}

void Console::finish() {
  if (!m_copier.joinable()) return;
  std::fclose(m_out);  // the copier sees the end of the pipe
  m_copier.join();
  m_out = m_file;
}

std::string Console::text() {
  if (!m_buffered) return std::string();
  std::fflush(m_out);
  return std::string(m_buffer, m_size);
}
