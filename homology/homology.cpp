#include "homology/homology.h"
