// The seed overlap filter: of every group of seeds whose protein sets overlap
// by at least the threshold, only the best is grown (the earlier of equal
// scores); the twin filter of the complexes is in complexes/complexes_filter.h.
#pragma once

#include <list>
#include <vector>

#include "seeds/seed.h"

// The kept seeds, copied, in candidate order.
std::list<Seed> filterOverlappingSeeds(const std::vector<const Seed*>& candidates, double threshold);
