#include "network/netbuilder.h"
