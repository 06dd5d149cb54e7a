// Stands in for the program that crash recovery starts again: appends its
// command line to the file named by VR_STANDIN_LOG and ends.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("VR_STANDIN_LOG", path, sizeof path);
    if (n == 0 || n >= sizeof path) return 2;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    const char *line = GetCommandLineA();
    DWORD written;
    WriteFile(file, line, lstrlenA(line), &written, nullptr);
    WriteFile(file, "\n", 1, &written, nullptr);
    CloseHandle(file);
    return 0;
}
