// The readers of interaction sources (one subclass per format) and what they share:
// the weight filter, the pair table and the counts of what is left out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "tools/prep/prep_options.h"

class DropLog;
class PairTable;
class TextInput;

class InteractionReader {
 public:
  virtual ~InteractionReader() = default;
  InteractionReader(const InteractionReader&) = delete;
  InteractionReader& operator=(const InteractionReader&) = delete;

  // The reader for opts.from; throws PrepError for an unknown format or an
  // option that does not apply to it.
  static std::unique_ptr<InteractionReader> create(const InteractionOptions& opts);

  // Reads the whole input into *table, counting every record left out in *log.
  // Throws PrepError, naming the file, line and value, on a line that does not
  // fit the format.
  virtual void read(TextInput* in, PairTable* table, DropLog* log) = 0;

 protected:
  explicit InteractionReader(const InteractionOptions& opts) : m_opts(opts) {}

  // Adds the pair unless its weight is 0 or below --min-score.
  void addWeighted(const std::string& a, const std::string& b, double weight, uint64_t line, PairTable* table,
                   DropLog* log) const;

  const InteractionOptions m_opts;
};
