// The string list compiled into the program, for builds without a resource
// script (host tests) and for checking the Win32 resources against it.
#pragma once

struct StringTableEntry {
    int id;
    const char *text;
};

// The entries of the list in id order of appearance, ended by {0, nullptr}.
extern const StringTableEntry kStringTable[];

// The text of id, or null when the list has none.
const char *FindStringText(int id);

// PlatformLoadString on this list, for platforms without resources.
int CopyStringText(int id, char *buffer, int size);
