// Whole files: read in one piece, and written so that a file appears under
// its name whole or not at all. Every output file of trellis2 and of the tools
// beside it goes through OutputFile.
#pragma once

#include <cstdio>
#include <string>

// A file written under a temporary name in the directory of its path and
// renamed into place by commit(). A link standing at the path is replaced,
// never written through; until commit() succeeds nothing is under the path
// but what was there before; a file given up (not committed) is removed.
class OutputFile {
 public:
  // Creates the temporary file; ok() tells whether that worked (errno says why not).
  explicit OutputFile(std::string path);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool ok() const { return m_stream != nullptr; }
  // Where to write; only while ok().
  FILE* stream() const { return m_stream; }
  // Flushes (with durable, to the disk too), closes and renames the file into
  // place. False, with errno set, when anything failed: then the path holds
  // what it held before.
  bool commit(bool durable = false);

 private:
  void discard();

  const std::string m_path;
  std::string m_temporary;
  FILE* m_stream = nullptr;
};

// text written through an OutputFile. False, with errno set, when it could not be.
bool writeWholeFile(const std::string& path, const std::string& text, bool durable = false);

// The whole content of path. False, with errno set, when it cannot be opened
// or read (ENOENT: it does not exist).
bool readWholeFile(const std::string& path, std::string* text);
