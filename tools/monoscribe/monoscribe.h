// Monoscribe: switches EPS files of the main program between colour and
// black and white, from its dialog or from the command line (so that it can
// serve as the main program's post program).
#pragma once
#include <windows.h>

#include "eps_color.h"

constexpr size_t kErrorListSize = 10240;
constexpr size_t kSubFolderSize = 261;  // 260 characters and the terminator

// Process-wide options: the dialog's controls are read into them when a
// batch starts, the command line sets them as it goes.
struct MonoscribeOptions {
    EpsDirection direction;
    bool backup;      // keep the input as file + ".bak"
    bool keepTime;    // the output gets the input's last-write time
    bool scan;        // look for included files of ours in larger PostScript files
    char subFolder[kSubFolderSize];  // empty: rewrite in place
    bool subFolderTooLong;           // a -P argument past the buffer
};

struct MonoscribeState {
    MonoscribeOptions options;
    char errors[kErrorListSize];  // "\n" file ": " message, one entry per failure
    size_t errorLength;
    bool hasErrors;
    HWND dialog;  // the main dialog while it is open
    HCURSOR savedCursor;
};

extern MonoscribeState gMonoscribe;

// Resets the options to their defaults (to black and white, nothing else).
void ResetOptions();

// argv[0] is the program; switches -B -C -K -T -I -P folder (or with "/"),
// every other argument a file processed at once. Ends the batch.
void RunCommandLine(int argc, char **argv);

void BeginBatch();
// message null: the system's text for the last error.
void AddFileError(const char *file, const char *message);
void EndBatch();
// Converts one file as the options say; failures go to the error list.
// True when the file counts as done.
bool ProcessEpsFile(const char *file);

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
