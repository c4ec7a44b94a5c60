#include "span/bit_subset.h"
