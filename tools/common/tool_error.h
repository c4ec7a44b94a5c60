// The error that ends a command of the tools beside trellis2 (trellis2-prep,
// trellis2-annotate): its message names the file, the line and the value at
// fault. A usage error (a bad command line) exits with status 2, any other
// with status 1.
#pragma once

#include <stdexcept>
#include <string>

class ToolError : public std::runtime_error {
 public:
  explicit ToolError(const std::string& message, bool usage = false)
      : std::runtime_error(message), m_usage(usage) {}
  bool usage() const { return m_usage; }

 private:
  bool m_usage;
};
