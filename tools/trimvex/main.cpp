#include "trimvex.h"

int main(int argc, char **argv) { return RunTrimvex(argc, argv); }
