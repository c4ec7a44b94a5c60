#include "tools/annotate/annotate.h"

int main(int argc, char** argv) { return annotateMain(argc, argv); }
