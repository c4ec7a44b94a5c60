#pragma once
#include "network/network.h"
