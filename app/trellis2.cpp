#include "app/trellis2.h"

int trellis2Main(int, char**) { return 0; }
