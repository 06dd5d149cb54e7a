#include "pending_builtins.h"

double ITERATIONORDER() { return 0; }
