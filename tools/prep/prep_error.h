// The error that ends a trellis2-prep command: its message names the file, the
// line and the value at fault. A usage error (a bad command line) exits with
// status 2, any other with status 1.
#pragma once

#include <stdexcept>
#include <string>

class PrepError : public std::runtime_error {
 public:
  explicit PrepError(const std::string& message, bool usage = false)
      : std::runtime_error(message), m_usage(usage) {}
  bool usage() const { return m_usage; }

 private:
  bool m_usage;
};
