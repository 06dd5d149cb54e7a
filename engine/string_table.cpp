#include "string_table.h"

#include "command_ids.h"  // the tooltips come from the command list

const StringTableEntry kStringTable[] = {
#define S(name, id, text) {id, text},
#include "strings.inc"
#undef S
    {0, nullptr},
};

const char *FindStringText(int id) {
    for (const StringTableEntry *e = kStringTable; e->text; ++e)
        if (e->id == id) return e->text;
    return nullptr;
}
