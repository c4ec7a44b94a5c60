#include "network/network.h"
