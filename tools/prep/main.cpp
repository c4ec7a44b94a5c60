#include "tools/prep/prep.h"

int main(int argc, char** argv) { return prepMain(argc, argv); }
