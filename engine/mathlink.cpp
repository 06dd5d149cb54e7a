#include "mathlink.h"

int gMathLinkOn;
