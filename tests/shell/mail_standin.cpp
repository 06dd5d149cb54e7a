// Stand-in for the system's simple mail library: MAPISendDocuments appends
// what it was given to the file named by VR_MAIL_LOG, and whether the
// attached file existed during the call with its first line, then returns
// the number in VR_MAIL_RESULT (0, success, when unset).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" ULONG __stdcall MAPISendDocuments(ULONG_PTR ui, LPSTR delimiter, LPSTR paths,
                                                                   LPSTR names, ULONG reserved) {
    char log[MAX_PATH], result[32] = "0";
    if (!GetEnvironmentVariableA("VR_MAIL_LOG", log, sizeof log)) return 2;
    GetEnvironmentVariableA("VR_MAIL_RESULT", result, sizeof result);
    char firstLine[256] = "";
    if (FILE *attached = std::fopen(paths, "rb")) {
        if (std::fgets(firstLine, sizeof firstLine, attached)) firstLine[std::strcspn(firstLine, "\r\n")] = 0;
        std::fclose(attached);
    }
    const DWORD attributes = GetFileAttributesA(paths);
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (FILE *f = std::fopen(log, "ab")) {
        std::fprintf(f, "ui=%lu|delimiter=%s|path=%s|name=%s|reserved=%lu|exists=%d|first=%s\n",
                     static_cast<unsigned long>(ui), delimiter, paths, names, reserved, exists ? 1 : 0, firstLine);
        std::fclose(f);
    }
    return static_cast<ULONG>(std::strtoul(result, nullptr, 10));
}
