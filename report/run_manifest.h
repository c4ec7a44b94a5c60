// manifest.tsv: what a later step needs to find a finished run's inputs, the
// species count and the input prefix (absolute), written beside the results.
//
//   key<TAB>value
//   format<TAB>1
//   species<TAB>3
//   input<TAB>/data/runs/ydc/in
//   names<TAB>yeast,fly,human       (only when the species were given names)
//
// Backslash, tab, line feed and carriage return in a value are written as
// \\, \t, \n and \r, so that any path survives. The file holds nothing but
// these values: two runs of the same inputs from the same directory write the
// same bytes.
#pragma once

#include <string>
#include <vector>

#include "common/common_types.h"

struct RunManifest {
  uint speciesNum = 0;
  std::string inPrefix;                   // absolute
  std::vector<std::string> speciesNames;  // one per species, or none
};

// prefix as an absolute path: a relative one is taken from the current
// directory (leading "./" dropped, symbolic links kept as they are). Empty when
// the current directory cannot be told.
std::string absolutePrefix(const std::string& prefix);

// Writes <outDir>/manifest.tsv through a temporary file in the same directory,
// renamed into place, so that a reader never sees half a file. False when it
// cannot be written.
bool writeRunManifest(const std::string& outDir, uint speciesNum, const std::string& inPrefix,
                      const std::vector<std::string>& speciesNames = {});

// Reads the manifest at path into *out. False with *error naming the file, the
// line and the value at fault when it cannot be read or is not a manifest of
// a format this program knows.
bool readRunManifest(const std::string& path, RunManifest* out, std::string* error);
