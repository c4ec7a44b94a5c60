// Lines of a text file, gzip-compressed or plain (told apart by content, not by
// name), read in a stream whatever the size of the file or of a line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct gzFile_s;

class TextInput {
 public:
  // Opens `path`; "-" is standard input. Throws ToolError when the file cannot
  // be opened or is a zip archive (which has to be extracted first).
  explicit TextInput(const std::string& path);
  ~TextInput();
  TextInput(const TextInput&) = delete;
  TextInput& operator=(const TextInput&) = delete;

  // The next line without its line break and without a carriage return in
  // front of it; false at the end. A last line without a line break is still
  // a line. Throws ToolError on a read error or a truncated gzip stream.
  bool next(std::string* line);

  // Whether the data is gzip-compressed (trellis2 itself reads plain text only).
  bool compressed() const;
  // 1-based number of the line last returned.
  uint64_t lineNumber() const { return m_line; }
  const std::string& name() const { return m_name; }
  // "<file>:<line>: ", the start of a message about the line last returned.
  std::string where() const;

 private:
  // Refills the buffer; false at the end of the data.
  bool fill();
  void checkStart();

  std::string m_name;
  gzFile_s* m_file;
  std::vector<char> m_buf;
  size_t m_pos;
  size_t m_end;
  bool m_eof;
  uint64_t m_line;
};
