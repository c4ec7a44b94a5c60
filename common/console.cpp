#include "common/console.h"

#include <cstdlib>

Console::Console(Kind kind) : m_out(stdout) {
  if (kind == STANDARD_OUTPUT) return;
  m_out = open_memstream(&m_buffer, &m_size);
  // Without memory for the buffer the messages go where they would in one process.
  if (m_out == nullptr) m_out = stdout;
}

Console::~Console() {
  if (m_out != stdout) std::fclose(m_out);
  std::free(m_buffer);
}

std::string Console::text() {
  if (m_out == stdout) return std::string();
  std::fflush(m_out);
  return std::string(m_buffer, m_size);
}
