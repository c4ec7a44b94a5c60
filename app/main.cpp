#include "app/trellis2.h"

int main(int argc, char** argv) { return trellis2Main(argc, argv); }
