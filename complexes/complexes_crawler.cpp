#include "complexes/complexes_crawler.h"
