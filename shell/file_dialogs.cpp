#include "file_dialogs.h"

#include <commdlg.h>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image_library.h"
#include "messages.h"
#include "picture_filter.h"
#include "platform.h"
#include "settings.h"
#include "string_ids.h"

char gFileDialogBuffer[kFileNameSize];
int gFileDialogFilterIndex;
int gFileDialogExtensionOffset;

namespace {

constexpr int kFilterBlockSize = 2308;
char gStartFolder[kFileNameSize];
bool gStartFolderTaken = false;

// Appends text and its terminator at *at, inside a block of size bytes that
// keeps room for the final double NUL; false when it would not fit.
bool AppendPart(char *block, size_t size, size_t *at, const char *text) {
    size_t n = std::strlen(text) + 1;
    if (*at + n + 1 > size) return false;
    std::memcpy(block + *at, text, n);
    *at += n;
    return true;
}

void CopyString(char *to, const char *from, size_t size) {
    std::strncpy(to, from ? from : "", size - 1);
    to[size - 1] = 0;
}

bool IsScreenDialog(int titleId) { return titleId == IDS_TITLE_SAVE_SCREEN || titleId == IDS_TITLE_LOAD_SCREEN; }

// The one common open or save dialog of the program. name (kFileNameSize)
// holds the start and receives the choice; filter is a block of name and
// pattern pairs; title, folder and extension may be null; flags adds to the
// fixed ones. Non-zero when a name was chosen.
int RunFileDialog(char *name, const char *filter, const char *title, const char *initialDirectory,
                  const char *defaultExtension, DWORD flags, int save, HWND owner) {
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner ? owner : GetFocus();
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name;
    ofn.nMaxFile = kFileNameSize;
    ofn.lpstrTitle = title;
    ofn.lpstrInitialDir = initialDirectory;
    ofn.lpstrDefExt = defaultExtension;
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | flags;
    if (!save) ofn.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;

    HWND focus = GetFocus();
    const BOOL chosen = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (focus) SetFocus(focus);
    if (!chosen) return 0;
    gFileDialogFilterIndex = static_cast<int>(ofn.nFilterIndex);
    gFileDialogExtensionOffset = ofn.nFileExtension;
    return 1;
}

}  // namespace

const char *GetInitialDirectory(const char *name) {
    if (!gNoMyDocs || gStartFolderTaken || (name && name[0] && name[0] != '*')) return nullptr;
    gStartFolderTaken = true;
    if (!GetCurrentDirectoryA(sizeof gStartFolder, gStartFolder)) return nullptr;
    return gStartFolder;
}

int AskFileName(const char *start, char *result, int titleId, int filterId, int save, HWND owner) {
    char title[128], pattern[kProblemPatternSize + 64];
    CopyString(title, LoadTextResource(titleId), sizeof title);
    if (filterId == IDS_FILTER_PROBLEMS && !save && gVantorelExtensions[0])
        CopyString(pattern, gVantorelExtensions, sizeof pattern);
    else
        CopyString(pattern, LoadTextResource(filterId + 1), sizeof pattern);

    // The image library's list may be long: the block grows with it.
    char *library = nullptr;
    size_t librarySize = 0;
    if (IsScreenDialog(titleId) && LoadFreeImage() == 1) {
        int entries = 0;
        library = BuildPictureFilter(save, &entries);
        if (library) librarySize = FilterLength(library);
    }
    size_t size = kFilterBlockSize + librarySize;
    char *filter = static_cast<char *>(std::calloc(size, 1));
    if (!filter) {
        std::free(library);
        return 0;
    }
    size_t at = 0;
    AppendPart(filter, size, &at, LoadTextResource(filterId));
    AppendPart(filter, size, &at, pattern);
    char name[kFileNameSize] = "";
    if (IsScreenDialog(titleId)) {
        AppendPart(filter, size, &at, LoadTextResource(IDS_FILTER_METAFILE));
        AppendPart(filter, size, &at, LoadTextResource(IDS_FILTER_METAFILE_PATTERN));
        if (library) {
            std::memcpy(filter + at, library, librarySize);
            at += librarySize;
        }
    } else {
        AppendPart(filter, size, &at, LoadTextResource(IDS_FILTER_ALL_FILES));
        AppendPart(filter, size, &at, LoadTextResource(IDS_FILTER_ALL_PATTERN));
        CopyString(name, start && start[0] ? start : pattern, sizeof name);
        // Several patterns ("*.vr;*.ode") cannot start a dialog.
        if (!(start && start[0])) {
            char *semicolon = std::strchr(name, ';');
            if (semicolon) *semicolon = 0;
        }
    }
    std::free(library);

    char extension[16] = "";
    if (pattern[0] == '*' && pattern[1] == '.') {
        CopyString(extension, pattern + 2, sizeof extension);
        char *semicolon = std::strchr(extension, ';');
        if (semicolon) *semicolon = 0;
    }
    const int chosen = RunFileDialog(name, filter, title, GetInitialDirectory(name),
                                     extension[0] && extension[0] != '*' ? extension : nullptr, 0, save, owner);
    std::free(filter);
    if (!chosen) return 0;
    CopyString(result, name, kFileNameSize);
    return 1;
}

int AskFileNameFromPairs(char *name, const char *pairs, const char *defaultExtension, int save, HWND owner) {
    std::string filter = pairs;
    for (char &c : filter)
        if (c == '|') c = '\0';
    filter.push_back('\0');  // the block ends in two NULs even without a last '|'
    char chosen[kFileNameSize];
    CopyString(chosen, name, sizeof chosen);
    if (!RunFileDialog(chosen, filter.c_str(), nullptr, nullptr, defaultExtension, OFN_PATHMUSTEXIST, save, owner))
        return 0;
    CopyString(name, chosen, kFileNameSize);
    return 1;
}

int AskChannelFileName(HWND owner, char *name, int save) {
    return AskFileNameFromPairs(name, LoadTextResource(IDS_TEXT_FILE_FILTER), "txt", save, owner);
}

int AskOutputFileName(HWND owner) {
    return AskFileName("", gFileDialogBuffer, IDS_TITLE_OUTPUT_FILE, IDS_FILTER_TEXT, 1, owner);
}

int AskExportFileName(HWND owner, char *exportName) {
    if (!AskFileName(exportName, gFileDialogBuffer, IDS_TITLE_EXPORT, IDS_FILTER_EPS, 1, owner)) return 0;
    CopyString(exportName, gFileDialogBuffer, kFileNameSize);
    return 1;
}

int AskInputFileName(HWND owner) {
    char start[kFileNameSize];
    CopyString(start, gFileDialogBuffer, sizeof start);
    return AskFileName(start, gFileDialogBuffer, IDS_TITLE_INPUT_FILE, IDS_FILTER_TEXT, 0, owner);
}

int AskPlotterFileName(HWND owner) {
    return AskFileName("", gFileDialogBuffer, IDS_TITLE_PLOTTER_FILE, IDS_FILTER_PLOTTER, 1, owner);
}

namespace {
int AskFromStart(HWND owner, const char *start, int titleId, int filterId) {
    char copy[kFileNameSize];
    CopyString(copy, start, sizeof copy);
    return AskFileName(copy, gFileDialogBuffer, titleId, filterId, 0, owner);
}
}  // namespace

int AskLibraryFileName(HWND owner, const char *start) {
    return AskFromStart(owner, start, IDS_TITLE_LIBRARY, IDS_FILTER_LIBRARY);
}
int AskLinkMapFileName(HWND owner, const char *start) {
    return AskFromStart(owner, start, IDS_TITLE_LINK_LIBRARY, IDS_FILTER_LINK_MAP);
}
int AskProgramFileName(HWND owner, const char *start) {
    return AskFromStart(owner, start, IDS_TITLE_PROGRAM, IDS_FILTER_PROGRAM);
}
int AskDriverFileName(HWND owner, const char *start) {
    return AskFromStart(owner, start, IDS_TITLE_DRIVER, IDS_FILTER_DRIVER);
}
int AskFontFileName(HWND owner, const char *start) {
    return AskFromStart(owner, start, IDS_TITLE_FONT, IDS_FILTER_FONT);
}
int AskHelpFileName(HWND owner, const char *start) {
    return AskFromStart(owner, start, IDS_TITLE_HELP, IDS_FILTER_HELP);
}

int AskPictureFileName(HWND owner, int save) {
    int titleId = save ? IDS_TITLE_SAVE_SCREEN : IDS_TITLE_LOAD_SCREEN;
    int filterId = save ? IDS_FILTER_BITMAP : IDS_FILTER_GRAPHICS;
    if (!AskFileName("", gFileDialogBuffer, titleId, filterId, save, owner)) return 0;
    if (save && FileExists(gFileDialogBuffer) && AskOkCancel(IDS_EPS_OVERWRITE) != kIdOk) return 0;
    return ChoosePictureFormat(gFileDialogBuffer, gFileDialogFilterIndex, save != 0, LoadFreeImage() == 1);
}

void SplitExtension(const char *path, char *base, char *extension) {
    const char *dot = std::strrchr(path, '.');
    const char *slash = std::strrchr(path, '\\');
    if (!dot || (slash && dot < slash)) dot = path + std::strlen(path);
    if (base) {
        size_t n = static_cast<size_t>(dot - path);
        if (n >= kFileNameSize) n = kFileNameSize - 1;
        std::memcpy(base, path, n);
        base[n] = 0;
    }
    if (extension) CopyString(extension, dot, kFileNameSize);
}

void AddDefaultExtension(char *path) {
    char extension[kFileNameSize];
    SplitExtension(path, nullptr, extension);
    if (extension[0]) return;
    if (std::strlen(path) + 3 < kFileNameSize) std::strcat(path, ".vr");
}

bool FileExists(const char *path) {
    UINT old = SetErrorMode(SEM_FAILCRITICALERRORS);
    WIN32_FIND_DATAA data;
    HANDLE found = FindFirstFileA(path, &data);
    SetErrorMode(old);
    if (found == INVALID_HANDLE_VALUE) return false;
    FindClose(found);
    return true;
}
