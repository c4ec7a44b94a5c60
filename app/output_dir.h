// The output directory of a run: made with its missing parents before any
// input is read, and cleared of an earlier run's complex files that this run
// would not overwrite, so that stale complexes never read as results.
#pragma once

#include <cstdio>
#include <list>
#include <string>

#include "common/common_types.h"
#include "complexes/complex.h"

// Creates path and its missing parents (mode 0777); true when it then is a
// directory this process can write into.
bool makeOutputDirectory(const std::string& path);

// Makes path a directory of the run's own: a symbolic link standing there is
// removed first (what it points to is left alone), so that files written
// into the directory never land elsewhere. Failures show when the files are
// written.
void makeOwnDirectory(const std::string& path);

// Removes, under outDir, alignments/ucomplex_<id>.txt and
// species_<s>/complex_<id>.txt files named as this program names them whose id
// is not among complexes, and those of species directories from speciesNum
// on (such a directory goes too when nothing else is left in it). Only
// regular files go, and no link is followed: other files, links and what they
// point to are never touched; a file that cannot be removed is reported on console.
// Returns the number of files removed.
uint removeEarlierResults(const std::string& outDir, uint speciesNum, const std::list<Complex>& complexes,
                          FILE* console);
