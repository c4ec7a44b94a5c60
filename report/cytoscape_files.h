// The Cytoscape files of a run: complexes.sif (interactions and similarity
// links inside the complexes) and nodes.tsv (the node table to import with it).
#pragma once

#include <cstdio>
#include <list>

#include "complexes/complex.h"
#include "report/protein_labels.h"

// "A<TAB>pp<TAB>B" for every interaction between two proteins of one species
// of a complex, "A<TAB>sim<TAB>B" for every similarity link joining two
// proteins of one of its aligned nodes; each pair once per file, in the order
// the complexes come; then, alone on a line, every complex protein without such
// a link. Tabs as separators let Cytoscape take names as they are.
void writeSif(FILE* f, const std::list<Complex>& complexes, uint speciesNum);

// Header "protein<TAB>species<TAB>complexes" (and "<TAB>label" with a labels
// file), then one row per protein of any complex, in order of first
// appearance: its species (name, else index), the ids of the complexes holding
// it, separated by "|", and its label (or its name).
void writeNodeTable(FILE* f, const std::list<Complex>& complexes, uint speciesNum, const Naming& naming);
