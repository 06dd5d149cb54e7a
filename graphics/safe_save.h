// Saving through a temporary file: the data go to a file beside the target,
// which replaces the target in one step only when everything was written.
// A failed or interrupted save leaves the old file as it was.
#pragma once
#include <cstdio>

struct SafeSave {
    FILE *file;
    char *target;
    char *temporary;
};

// Opens the temporary file (binary). With keepOld, an existing target's
// bytes are copied into it first, so that writing appends. Returns 0 with
// errno set when it cannot be had.
int BeginSafeSave(SafeSave *save, const char *path, int keepOld);
// Closes and moves the temporary file onto the target; 0 when any write,
// the close or the move failed (the temporary file is then removed). A
// caller that had the temporary file written by name closes the stream and
// sets it null first.
int CommitSafeSave(SafeSave *save);
// Throws the temporary file away; the target stays as it was.
void AbandonSafeSave(SafeSave *save);
