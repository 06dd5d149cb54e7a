// Names for the ids of resources/strings.inc (C++ only; the resource script
// includes the list itself).
#pragma once
#include "command_ids.h"  // the tooltips come from the command list

enum StringId {
#define S(name, id, text) name = id,
#include "strings.inc"
#undef S
};
