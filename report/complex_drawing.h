// The SVG drawing of one complex: one column per species, proteins as labelled
// circles, interactions inside a species as curves whose width follows the
// interaction confidence, similarity links of each aligned node as dashed lines
// across columns.
#pragma once

#include <string>

#include "report/complex_rows.h"
#include "report/protein_labels.h"

// Colour of species s in every drawing of the report.
const char* speciesColour(uint s);

// The drawing of row.complex for speciesNum species; columns carry the
// species' names, circles the proteins' labels (see Naming).
std::string drawComplex(const ComplexRow& row, uint speciesNum, const Naming& naming = Naming());
