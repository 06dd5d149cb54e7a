#include <windows.h>

#include <cstdlib>

#include "monoscribe.h"
#include "monoscribe_ids.h"

// With arguments a filter for the command line (the main program's post
// program); without, the dialog.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    ResetOptions();
    if (__argc > 1) RunCommandLine(__argc, __argv);
    else DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MONOSCRIBE), nullptr, MainDialogProc, 0);
    return 0;
}
