#include "complexes/complexes_filter.h"
