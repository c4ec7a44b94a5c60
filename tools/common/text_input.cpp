#include "tools/common/text_input.h"

#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>

#include "tools/common/tool_error.h"

namespace {

constexpr size_t BUFFER_SIZE = 1 << 18;

}  // namespace

TextInput::TextInput(const std::string& path)
    : m_name(path == "-" ? "<stdin>" : path),
      m_file(nullptr),
      m_buf(BUFFER_SIZE),
      m_pos(0),
      m_end(0),
      m_eof(false),
      m_line(0) {
  errno = 0;
  m_file = path == "-" ? gzdopen(dup(STDIN_FILENO), "rb") : gzopen(path.c_str(), "rb");
  if (!m_file) {
    throw ToolError(m_name + ": cannot open: " + (errno ? std::strerror(errno) : "out of memory"));
  }
  gzbuffer(m_file, BUFFER_SIZE);
  try {
    checkStart();
  } catch (...) {
    gzclose(m_file);  // the destructor does not run for a constructor that throws
    throw;
  }
}

TextInput::~TextInput() {
  if (m_file) gzclose(m_file);
}

bool TextInput::compressed() const { return gzdirect(m_file) == 0; }

std::string TextInput::where() const { return m_name + ":" + std::to_string(m_line) + ": "; }

void TextInput::checkStart() {
  if (!fill()) return;
  static const char ZIP_MAGIC[] = {'P', 'K', 3, 4};
  if (gzdirect(m_file) && m_end >= 4 && std::memcmp(m_buf.data(), ZIP_MAGIC, 4) == 0) {
    throw ToolError(m_name + ": is a zip archive; extract the text file from it first (unzip)");
  }
}

bool TextInput::fill() {
  if (m_eof) return false;
  errno = 0;
  const int n = gzread(m_file, m_buf.data(), static_cast<unsigned>(m_buf.size()));
  int code = Z_OK;
  const char* message = gzerror(m_file, &code);
  if (n < 0 || (code != Z_OK && code != Z_STREAM_END)) {
    std::string why = code == Z_ERRNO ? std::strerror(errno) : message;
    if (code == Z_BUF_ERROR) why = "the gzip data ends early (truncated file?)";
    throw ToolError(m_name + ": read error after line " + std::to_string(m_line) + ": " + why);
  }
  m_pos = 0;
  m_end = static_cast<size_t>(n);
  if (n == 0) m_eof = true;
  return n > 0;
}

bool TextInput::next(std::string* line) {
  line->clear();
  for (;;) {
    if (m_pos == m_end && !fill()) break;
    const char* start = m_buf.data() + m_pos;
    const void* nl = std::memchr(start, '\n', m_end - m_pos);
    if (nl) {
      const size_t len = static_cast<const char*>(nl) - start;
      line->append(start, len);
      m_pos += len + 1;
      if (!line->empty() && line->back() == '\r') line->pop_back();
      ++m_line;
      return true;
    }
    line->append(start, m_end - m_pos);
    m_pos = m_end;
  }
  if (line->empty()) return false;
  if (line->back() == '\r') line->pop_back();
  ++m_line;
  return true;
}
