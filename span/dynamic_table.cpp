#include "span/dynamic_table.h"
