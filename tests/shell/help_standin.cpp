// Stand-in for the HTML Help control: HtmlHelpA appends each command to the
// file named by VR_HELP_LOG (owner, file, command, data and the current
// folder) and returns a window handle of its own, so that callers see it
// open (no window for a file named "missing.chm").
#include <windows.h>

#include <cstdio>
#include <cstring>

extern "C" HWND __stdcall HtmlHelpA(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
    char log[MAX_PATH], folder[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("VR_HELP_LOG", log, sizeof log)) return nullptr;
    GetCurrentDirectoryA(sizeof folder, folder);
    if (FILE *f = std::fopen(log, "ab")) {
        std::fprintf(f, "owner=%p|file=%s|command=%u|data=%lu|folder=%s\n", static_cast<void *>(owner),
                     file ? file : "(null)", command, static_cast<unsigned long>(data), folder);
        std::fclose(f);
    }
    const char *name = file ? std::strrchr(file, '\\') : nullptr;
    name = name ? name + 1 : file;
    if (name && std::strcmp(name, "missing.chm") == 0) return nullptr;
    return GetDesktopWindow();
}
