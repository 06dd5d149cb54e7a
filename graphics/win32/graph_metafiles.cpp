// Metafiles: opening any kind (enhanced, plain, placeable), playing one with
// its OpenGL records, loading one into a graph window; and the stand-in of
// dialog 500 until the dialog engine provides it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "graph_pictures.h"
#include "graph_window_win32.h"
#include "messages.h"
#include "placeable_wmf.h"
#include "string_ids.h"

namespace {

HMODULE gOpenGl, gGlu;
HGLRC gGlContext;
int gDoubleBuffered;

typedef HGLRC(WINAPI *CreateContextProc)(HDC);
typedef BOOL(WINAPI *MakeCurrentProc)(HDC, HGLRC);
typedef BOOL(WINAPI *DeleteContextProc)(HGLRC);

template <class T> T Entry(HMODULE module, const char *name) {
    return reinterpret_cast<T>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

HENHMETAFILE FromWindowsBits(const void *bits, UINT size, LONG cx, LONG cy) {
    METAFILEPICT picture = {MM_ANISOTROPIC, cx, cy, nullptr};
    HDC screen = GetDC(nullptr);
    HENHMETAFILE result = SetWinMetaFileBits(size, static_cast<const BYTE *>(bits), screen, &picture);
    ReleaseDC(nullptr, screen);
    return result;
}

// The whole file, or null (with *size 0) when it cannot be read.
unsigned char *ReadWholeFile(const char *path, size_t *size) {
    *size = 0;
    FILE *file = fopen(path, "rb");
    if (!file) return nullptr;
    unsigned char *data = nullptr;
    if (fseek(file, 0, SEEK_END) == 0) {
        long length = ftell(file);
        if (length > 0 && length < (256L << 20) && fseek(file, 0, SEEK_SET) == 0) {
            data = static_cast<unsigned char *>(malloc(static_cast<size_t>(length)));
            if (data && fread(data, 1, static_cast<size_t>(length), file) == static_cast<size_t>(length)) {
                *size = static_cast<size_t>(length);
            } else {
                free(data);
                data = nullptr;
            }
        }
    }
    fclose(file);
    return data;
}

}  // namespace

// The descriptor that the header points at, read from the metafile's own
// bytes: Wine exports GetEnhMetaFilePixelFormat only as a stub that ends the
// program when called, so looking it up proves nothing.
bool ReadMetafilePixelFormat(HENHMETAFILE metafile, PIXELFORMATDESCRIPTOR *descriptor) {
    ENHMETAHEADER header;
    if (!GetEnhMetaFileHeader(metafile, sizeof header, &header) || header.nSize < sizeof header) return false;
    if (header.cbPixelFormat < sizeof *descriptor || header.offPixelFormat == 0) return false;
    const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
    if (size == 0 || header.offPixelFormat > size || size - header.offPixelFormat < sizeof *descriptor) return false;
    BYTE *bits = static_cast<BYTE *>(malloc(size));
    const bool ok = bits && GetEnhMetaFileBits(metafile, size, bits) == size;
    if (ok) memcpy(descriptor, bits + header.offPixelFormat, sizeof *descriptor);
    free(bits);
    return ok;
}

bool MetafileOpenGLLoaded() { return gOpenGl != nullptr; }

HENHMETAFILE OpenAnyMetafile(const char *path) {
    gLastPlaceableHeader = PlaceableHeader{};
    gLastPlaceableValid = 0;
    if (HENHMETAFILE enhanced = GetEnhMetaFileA(path)) return enhanced;
    if (HMETAFILE plain = GetMetaFileA(path)) {
        HENHMETAFILE result = nullptr;
        UINT size = GetMetaFileBitsEx(plain, 0, nullptr);
        if (void *bits = size ? calloc(1, size) : nullptr) {
            if (GetMetaFileBitsEx(plain, size, bits) == size) result = FromWindowsBits(bits, size, 1000, 1000);
            free(bits);
        }
        DeleteMetaFile(plain);
        return result;
    }
    size_t size;
    unsigned char *data = ReadWholeFile(path, &size);
    if (!data) return nullptr;
    HENHMETAFILE result = nullptr;
    PlaceableHeader header;
    // An inch of 0 or a file shorter than its headers is refused here.
    if (ParsePlaceableHeader(data, size, &header) == kWmfOk && size - kPlaceableHeaderSize <= 0xFFFFFFFFu) {
        gLastPlaceableHeader = header;
        gLastPlaceableValid = 1;
        int32_t cx, cy;
        PlaceableExtentHimetric(header, &cx, &cy);
        result = FromWindowsBits(data + kPlaceableHeaderSize, static_cast<UINT>(size - kPlaceableHeaderSize), cx, cy);
    }
    free(data);
    return result;
}

int InitMetafileOpenGL(HDC dc, HENHMETAFILE metafile) {
    gOpenGl = LoadLibraryA("opengl32.dll");
    gGlu = LoadLibraryA("glu32.dll");
    if (!gOpenGl || !gGlu) return 0;
    auto create = Entry<CreateContextProc>(gOpenGl, "wglCreateContext");
    auto makeCurrent = Entry<MakeCurrentProc>(gOpenGl, "wglMakeCurrent");
    if (!create || !makeCurrent) return 0;
    PIXELFORMATDESCRIPTOR descriptor = {};
    if (!ReadMetafilePixelFormat(metafile, &descriptor)) return 0;
    int format = ChoosePixelFormat(dc, &descriptor);
    if (!format || !SetPixelFormat(dc, format, &descriptor)) return 0;
    gDoubleBuffered = 1;
    gGlContext = create(dc);
    if (!gGlContext) return 0;
    return makeCurrent(dc, gGlContext);
}

int FreeMetafileOpenGL() {
    if (gOpenGl) {
        auto deleteContext = Entry<DeleteContextProc>(gOpenGl, "wglDeleteContext");
        auto makeCurrent = Entry<MakeCurrentProc>(gOpenGl, "wglMakeCurrent");
        if (!deleteContext || !makeCurrent) return 0;
        if (gGlContext) {
            makeCurrent(nullptr, nullptr);
            deleteContext(gGlContext);
            gGlContext = nullptr;
        }
    }
    if (gGlu) FreeLibrary(gGlu);
    if (gOpenGl) FreeLibrary(gOpenGl);
    gGlu = gOpenGl = nullptr;
    return 1;
}

int PlayMetafileGL(HDC dc, HENHMETAFILE metafile, const RECT *rect) {
    if (!metafile) return 1;
    ENHMETAHEADER header;
    if (!GetEnhMetaFileHeader(metafile, sizeof header, &header)) return 0;
    // Set-up failures fall back to playing without a context.
    const bool openGl = header.bOpenGL != 0;
    if (openGl) InitMetafileOpenGL(dc, metafile);
    int result = PlayEnhMetaFile(dc, metafile, rect);
    if (openGl) {
        if (gDoubleBuffered && gGlContext) SwapBuffers(dc);
        FreeMetafileOpenGL();
    }
    return result;
}

int LoadMetafilePicture(HWND window, const char *path) {
    HENHMETAFILE metafile = OpenAnyMetafile(path);
    if (!metafile) return ShowErrorBox(IDS_CANNOT_LOAD_SCREEN);
    int w = 0, h = 0;
    if (gLastPlaceableValid) {
        w = gLastPlaceableHeader.right - gLastPlaceableHeader.left;
        h = gLastPlaceableHeader.bottom - gLastPlaceableHeader.top;
    }
    if (w && h && RunPasteDialog(window, 1u << kPasteMetafile) != IDOK) {
        DeleteEnhMetaFile(metafile);
        return 0;
    }
    UpdateWindow(window);
    HDC dc = GetDC(window);
    HideCaret(window);
    RECT client;
    GetClientRect(window, &client);
    if (w && h) {
        const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
        w = MulDiv(w, dpi, gLastPlaceableHeader.inch);
        h = MulDiv(h, dpi, gLastPlaceableHeader.inch);
    } else {
        gPasteOptions.resize = kResizeFigure;
        w = client.right;
        h = client.bottom;
    }
    int result = 0;
    HDC targets[2] = {dc, nullptr};
    if (GraphWindowState *state = GraphStateOf(window))
        if (state->memoryDc) targets[1] = reinterpret_cast<HDC>(static_cast<UINT_PTR>(state->memoryDc));
    // The picture's size by the "Resize" choice, then played into it.
    if (gPasteOptions.resize == kResizeWindow) {
        RECT outer;
        GetWindowRect(window, &outer);
        SetWindowPos(window, nullptr, 0, 0, w + (outer.right - outer.left) - client.right,
                     h + (outer.bottom - outer.top) - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (gPasteOptions.resize == kResizeFigure) {
        GetClientRect(window, &client);
        w = client.right;
        h = client.bottom;
    }
    RECT area = {0, 0, w, h};
    for (HDC target : targets) {
        if (!target) continue;
        int saved = SaveDC(target);
        result = PlayMetafileGL(target, metafile, &area);
        RestoreDC(target, saved);
    }
    ShowCaret(window);
    ReleaseDC(window, dc);
    DeleteEnhMetaFile(metafile);
    return result;
}

// ---------------------------------------------------------------- dialog 500

namespace {

// Until the dialog engine shows dialog 500, a template of our own: the four
// choices as lists, OK and Cancel.
enum { kIdFormat = 501, kIdColors, kIdResize, kIdPriority };

struct PasteDialogData {
    PasteOptions options;
    unsigned enabled;
};

const char *const kFormatNames[] = {"Device dependent bitmap", "Device independent bitmap", "Windows metafile"};
const char *const kColorNames[] = {"Copy", "Or", "And", "Not", "Xor", "Merge", "Erase"};
const char *const kResizeNames[] = {"Figure", "Window", "None"};
const char *const kPriorityNames[] = {"None", "Black", "White"};

void Fill(HWND dialog, int id, const char *const *names, int count, int selected, unsigned enabled) {
    HWND list = GetDlgItem(dialog, id);
    for (int i = 0; i < count; ++i) {
        if (!(enabled & (1u << i))) continue;
        int at = static_cast<int>(SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i])));
        SendMessageA(list, CB_SETITEMDATA, at, i);
        if (i == selected) SendMessageA(list, CB_SETCURSEL, at, 0);
    }
    if (SendMessageA(list, CB_GETCURSEL, 0, 0) < 0) SendMessageA(list, CB_SETCURSEL, 0, 0);
}

int Selected(HWND dialog, int id) {
    HWND list = GetDlgItem(dialog, id);
    LRESULT at = SendMessageA(list, CB_GETCURSEL, 0, 0);
    return at < 0 ? 0 : static_cast<int>(SendMessageA(list, CB_GETITEMDATA, at, 0));
}

INT_PTR CALLBACK PasteDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto *data = reinterpret_cast<PasteDialogData *>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        data = reinterpret_cast<PasteDialogData *>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        Fill(dialog, kIdFormat, kFormatNames, 3, data->options.format, data->enabled);
        Fill(dialog, kIdColors, kColorNames, 7, data->options.colors, 0x7F);
        Fill(dialog, kIdResize, kResizeNames, 3, data->options.resize, 7);
        Fill(dialog, kIdPriority, kPriorityNames, 3, data->options.priority, 7);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            data->options = {Selected(dialog, kIdFormat), Selected(dialog, kIdColors), Selected(dialog, kIdResize),
                             Selected(dialog, kIdPriority)};
            EndDialog(dialog, IDOK);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    default: return FALSE;
    }
}

// A DLGTEMPLATE in memory: items are WORD-aligned, DWORD at each item start.
struct TemplateWriter {
    alignas(4) WORD words[1024];
    int n = 0;
    void Align() {
        if (n & 1) words[n++] = 0;
    }
    void Text(const char *s) {
        do words[n++] = static_cast<WORD>(static_cast<unsigned char>(*s)); while (*s++);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, const char *text) {
        Align();
        auto *item = reinterpret_cast<DLGITEMTEMPLATE *>(words + n);
        *item = {style | WS_CHILD | WS_VISIBLE, 0, x, y, cx, cy, id};
        n += sizeof(DLGITEMTEMPLATE) / sizeof(WORD);
        words[n++] = 0xFFFF;
        words[n++] = atom;
        Text(text);
        words[n++] = 0;
    }
};

}  // namespace

int RunPasteDialog(HWND owner, unsigned enabledFormats) {
    if (gGraphWindowHooks.pasteDialog) return gGraphWindowHooks.pasteDialog(owner, &gPasteOptions, enabledFormats);
    PasteDialogData data = {gPasteOptions, enabledFormats};
    static TemplateWriter t;
    t.n = 0;
    auto *dialog = reinterpret_cast<DLGTEMPLATE *>(t.words);
    *dialog = {DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 10, 0, 0, 200, 110};
    t.n = sizeof(DLGTEMPLATE) / sizeof(WORD);
    t.words[t.n++] = 0;  // no menu
    t.words[t.n++] = 0;  // default class
    t.Text("Mode");
    const char *const labels[] = {"P&ut", "Cop&y colors", "&Resize:", "&Priority to:"};
    for (int i = 0; i < 4; ++i) {
        t.Item(SS_LEFT, 5, static_cast<short>(7 + 20 * i), 60, 10, 0xFFFF, 0x0082, labels[i]);
        t.Item(CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, 70, static_cast<short>(5 + 20 * i), 125, 80,
               static_cast<WORD>(kIdFormat + i), 0x0085, "");
    }
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 90, 90, 50, 14, IDOK, 0x0080, "OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 145, 90, 50, 14, IDCANCEL, 0x0080, "Cancel");
    INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialog, owner, PasteDialogProc,
                                             reinterpret_cast<LPARAM>(&data));
    if (result == IDOK) gPasteOptions = data.options;
    return static_cast<int>(result);
}
