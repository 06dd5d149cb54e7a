#include "crash_recovery.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "messages.h"
#include "string_ids.h"

int gStartedByRecovery;
unsigned long gStartTickCount;
CrashHooks gCrashHooks;
char gRestartProgramPath[260];
char gRecoveryProblemPath[260];

namespace {

int gFatalErrorHandled;

const char kFatalErrorText[] =
    "An unexpected error will end this session. The program will try\n"
    "saving the problem under a new name and then opening it again.\n"
    "Save it under its former name only once you are sure it is correct. ";

// A new empty "VRG" file in the temporary folder names the copy; it is
// deleted so that the writer creates the file itself.
bool MakeRecoveryPath(char *path) {
    char folder[MAX_PATH];
    DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n >= sizeof folder) return false;
    if (!GetTempFileNameA(folder, "VRG", 0, path)) return false;
    DeleteFileA(path);
    return true;
}

void RestartOn(const char *path) {
    char program[MAX_PATH];
    if (gRestartProgramPath[0]) std::snprintf(program, sizeof program, "%s", gRestartProgramPath);
    else if (!GetModuleFileNameA(nullptr, program, sizeof program)) return;
    // Quoted: a temporary folder with a blank in its name must still reach
    // the new instance as one argument.
    char parameters[MAX_PATH + 8];
    std::snprintf(parameters, sizeof parameters, "/g \"%s\"", path);
    ShellExecuteA(nullptr, nullptr, program, parameters, ".\\", SW_SHOWNORMAL);
}

}  // namespace

int HandleFatalError() {
    if (gStartedByRecovery && GetTickCount() - gStartTickCount < kRestartGuardMs) ExitProcess(1);
    if (gFatalErrorHandled) return 0;
    gFatalErrorHandled = 1;

    char caption[kMessageBufferSize];
    std::snprintf(caption, sizeof caption, "%s", LoadTextResource(IDS_PROGRAM_CAPTION));
    MessageBoxA(nullptr, kFatalErrorText, caption, MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);

    if (MakeRecoveryPath(gRecoveryProblemPath) && gCrashHooks.writeProblem &&
        gCrashHooks.writeProblem(gRecoveryProblemPath))
        RestartOn(gRecoveryProblemPath);
    if (gCrashHooks.releaseResources) gCrashHooks.releaseResources();
    return 0;
}
