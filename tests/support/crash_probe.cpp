// Faults inside the crash guard, so that the crash-recovery tests see the
// whole path in a process of its own:
//   crash_probe <restart program> <report file> old|recent
// "old": started with /g more than 5000 ms ago; "recent": just now.
// The report gets "box", "saved" and "second" lines; the exit code is 3 when
// the crash handler returned.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "crash_recovery.h"
#include "fault_guard.h"
#include "win32_modal.h"

namespace {

FILE *gReport;

int WriteProblem(const char *path) {
    FILE *f = std::fopen(path, "wb");
    if (!f) return 0;
    std::fputs("[Problem]\n", f);
    std::fclose(f);
    std::fprintf(gReport, "saved|%s\n", path);
    return 1;
}

int Fault(void *) {
    *static_cast<volatile int *>(nullptr) = 1;
    return 0;
}

int OnFault() {
    ModalAnswerer none(IDOK, 1000);
    int second = HandleFatalError();  // once per process: no second box
    std::fprintf(gReport, "second|%d|%d\n", second, none.Result().found ? 1 : 0);
    return 3;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4) return 2;
    gReport = std::fopen(argv[2], "wb");
    if (!gReport) return 2;
    std::snprintf(gRestartProgramPath, sizeof gRestartProgramPath, "%s", argv[1]);
    gCrashHooks.writeProblem = WriteProblem;
    gStartedByRecovery = 1;
    gStartTickCount = GetTickCount() - (std::strcmp(argv[3], "old") == 0 ? 6000 : 0);
    std::fflush(gReport);

    {
        ModalAnswerer answer(IDOK, 5000);
        int result = RunCrashGuarded(Fault, nullptr, HandleFatalError);
        const ModalCapture &box = answer.Result();
        if (box.found) {
            std::fprintf(gReport, "box|%s|", box.caption.c_str());
            for (char c : box.text) std::fputs(c == '\n' ? "\\n" : std::string(1, c).c_str(), gReport);
            std::fputc('\n', gReport);
        }
        std::fprintf(gReport, "guard|%d\n", result);
    }
    int result = OnFault();
    std::fclose(gReport);
    return result;
}
