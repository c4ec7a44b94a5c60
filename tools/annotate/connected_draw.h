// One matched control group: a random connected subgraph of a species'
// network with a given number of proteins.
//
// The draw: a start protein uniform among the proteins whose connected
// component holds at least `size` proteins; then, until the group has `size`
// proteins, one protein uniform among those that interact with the group and
// are not in it joins. Every group drawn is connected and has exactly `size`
// distinct proteins; a protein adjacent to many group members is no likelier
// to join than one adjacent to a single member.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/annotate/draw_random.h"
#include "tools/annotate/species_graph.h"

// The group's proteins in the order they joined; empty when no component of
// the graph holds size proteins (or size is 0).
std::vector<uint32_t> drawConnectedGroup(const SpeciesGraph& graph, size_t size, DrawRandom& random);
