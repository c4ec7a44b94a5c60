#pragma once
#include "seeds/edges_seeds_generator.h"
