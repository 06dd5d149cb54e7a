// Thin wrappers over the system's file handles: opening stays silent (the
// caller decides what to say), reading, writing, closing and seeking report
// a failure with the system's text in an error box.
#pragma once
#include <windows.h>

constexpr int kFileRecordPathSize = MAX_PATH;

// The caller's record of an open: the path copied in, and the system's
// error code when opening failed.
struct FileRecord {
    char path[kFileRecordPathSize];
    DWORD error;
};

// Open mode: access in bits 0-1, and flags.
enum FileOpenMode {
    kFileRead = 0,        // shared for reading, writing and deleting
    kFileWrite = 1,       // modes 1-3 are not shared
    kFileReadWrite = 2,
    kFileNoAccess = 3,    // existence tests
    kFileCreate = 0x1000,      // create or truncate; else the file must exist
    kFileCloseAtOnce = 0x4000, // closed again at once: the result only tells whether it opened
};

// The handle, or INVALID_HANDLE_VALUE with the system's code in the record.
// A path longer than the record holds is refused, never cut.
HANDLE OpenFileHandle(const char *path, FileRecord *record, int mode);
// n, or -1 after an error box. A read that ends early answers the count read.
long ReadFileBlock(HANDLE file, void *buffer, long n);
// n, or -1 after an error box; a short write (a full disk) is a failure.
long WriteFileBlock(HANDLE file, const void *buffer, long n);
// 0, or -1 after an error box.
int CloseFileHandle(HANDLE file);
// The new position, or -1 after an error box; origin 0 begin, 1 current, 2 end.
long SeekFileHandle(HANDLE file, long distance, int origin);

// For the program's own tests: writes stop halfway as on a full disk.
extern int gSimulateDiskFull;
