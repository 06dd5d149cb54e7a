// Names for the ids of resources/strings.inc (C++ only; the resource script
// includes the list itself).
#pragma once

enum StringId {
#define S(name, id, text) name = id,
#include "strings.inc"
#undef S
};
