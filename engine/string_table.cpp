#include "string_table.h"

#include <cstdio>

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

int CopyStringText(int id, char *buffer, int size) {
    if (size <= 0) return 0;
    const char *text = FindStringText(id);
    int n = std::snprintf(buffer, static_cast<size_t>(size), "%s", text ? text : "");
    return n < size ? n : size - 1;
}
