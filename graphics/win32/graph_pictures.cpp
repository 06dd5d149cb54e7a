#include "graphics_host.h"
#include "graph_pictures.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "display_list.h"
#include "file_channels.h"
#include "graph_window_win32.h"
#include "image_library.h"
#include "messages.h"
#include "msgbox_win32.h"
#include "placeable_wmf.h"
#include "platform.h"
#include "safe_save.h"
#include "save_points.h"
#include "settings.h"
#include "string_ids.h"
#include "window_helpers.h"

PasteOptions gPasteOptions = {kPasteBitmap, 0, kResizeFigure, 0};

namespace {

// ORDER: the "Cop&y colors" choices of dialog 500.
const DWORD kRasterOperations[] = {SRCCOPY, SRCPAINT, SRCAND, NOTSRCCOPY, SRCINVERT, MERGEPAINT, SRCERASE};
// ORDER: "&Priority to:" None, Black, White.
const int kStretchModes[] = {COLORONCOLOR, BLACKONWHITE, WHITEONBLACK};

struct WaitCursor {
    HCURSOR previous;
    WaitCursor() : previous(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous); }
};

struct HiddenCaret {
    HWND window;
    explicit HiddenCaret(HWND w) : window(w) { HideCaret(w); }
    ~HiddenCaret() { ShowCaret(window); }
};

HDC MemoryDcOf(HWND window) {
    GraphWindowState *state = GraphStateOf(window);
    return state && state->memoryDc ? reinterpret_cast<HDC>(static_cast<UINT_PTR>(state->memoryDc)) : nullptr;
}

SIZE ClientSize(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

// The overlays (axes, field or histogram, elements) that painting draws
// over the window's picture, drawn by the window's full redraw into dc,
// with the window's record current and gDrawDc set to dc for the time.
void DrawOverlays(HWND window, HDC dc) {
    GraphWindowState *state = GraphStateOf(window);
    if (!state) return;
    GraphWindowState *savedGraph = gCurrentGraph;
    DcHandle saved = gDrawDc;
    gCurrentGraph = state;
    gDrawDc = FromHdc(dc);
    RedrawGraphWindow(nullptr);
    gDrawDc = saved;
    gCurrentGraph = savedGraph;
}

// The size a picture of (w, h) gets by the "Resize" choice; resizing the
// window to it when that is chosen.
SIZE ResizedPicture(HWND window, int w, int h) {
    SIZE client = ClientSize(window);
    if (gPasteOptions.resize == kResizeFigure) return client;
    if (gPasteOptions.resize == kResizeWindow) {
        RECT outer, inner;
        GetWindowRect(window, &outer);
        GetClientRect(window, &inner);
        const int dw = (outer.right - outer.left) - inner.right, dh = (outer.bottom - outer.top) - inner.bottom;
        SetWindowPos(window, nullptr, 0, 0, w + dw, h + dh, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return {w, h};
}

int Fail(int stringId) {
    ShowErrorBox(stringId);
    return 0;
}

// The C library's rename does not replace an existing file here.
int ReplaceFileWin32(const char *from, const char *to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

HWND ActiveGraphWindow() {
    HWND active = gMdiClient ? reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDIGETACTIVE, 0, 0)) : nullptr;
    return active && GraphStateOf(active) ? active : nullptr;
}

bool ActiveChildIsGraph() { return ActiveGraphWindow() != nullptr; }

bool SaveActivePicture(const char *path) {
    HWND window = ActiveGraphWindow();
    return window && SaveScreenBmp(window, path);
}

}  // namespace

void InstallGraphPictures() {
    gGraphicsHost.replaceFile = ReplaceFileWin32;
    gGraphPictureHooks.activeChildIsGraph = ActiveChildIsGraph;
    gGraphPictureHooks.saveActivePicture = SaveActivePicture;
}


DWORD PasteRasterOperation(int colors) {
    return colors >= 0 && colors < 7 ? kRasterOperations[colors] : SRCCOPY;
}
int PasteStretchMode(int priority) { return priority >= 0 && priority < 3 ? kStretchModes[priority] : COLORONCOLOR; }

// ---------------------------------------------------------------- capture

HBITMAP CaptureScreen(HWND window, bool withOverlays) {
    WaitCursor wait;
    HiddenCaret caret(window);
    SIZE size = ClientSize(window);
    HDC dc = GetDC(window);
    if (!dc) return nullptr;
    HBITMAP bitmap = CreateCompatibleBitmap(dc, size.cx, size.cy);
    HDC memory = bitmap ? CreateCompatibleDC(dc) : nullptr;
    if (memory) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        GraphWindowState *state = GraphStateOf(window);
        HBRUSH background = CreateSolidBrush(state ? static_cast<COLORREF>(state->backgroundColor) : RGB(255, 255, 255));
        RECT all = {0, 0, size.cx, size.cy};
        FillRect(memory, &all, background);
        DeleteObject(background);
        // Only the part of the client that is on the screen: inside the
        // multi-document client and the desktop.
        RECT visible = all;
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT *>(&visible), 2);
        RECT clip;
        if (HWND parent = GetParent(window)) {
            GetClientRect(parent, &clip);
            MapWindowPoints(parent, nullptr, reinterpret_cast<POINT *>(&clip), 2);
            IntersectRect(&visible, &visible, &clip);
        }
        GetWindowRect(GetDesktopWindow(), &clip);
        IntersectRect(&visible, &visible, &clip);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&visible), 2);
        if (!IsRectEmpty(&visible))
            BitBlt(memory, visible.left, visible.top, visible.right - visible.left, visible.bottom - visible.top, dc,
                   visible.left, visible.top, SRCCOPY);
        if (withOverlays) DrawOverlays(window, memory);
        SelectObject(memory, old);
        DeleteDC(memory);
    } else if (bitmap) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    ReleaseDC(window, dc);
    return bitmap;
}

HBITMAP CaptureBackingBitmap(HWND window, bool withOverlays) {
    HDC memory = MemoryDcOf(window);
    if (!memory) return nullptr;
    SIZE size = ClientSize(window);
    HBITMAP fresh = CreateCompatibleBitmap(memory, size.cx, size.cy);
    if (!fresh) return nullptr;
    // The window keeps an identical picture without overlays; the previous
    // bitmap, with them, is what the caller gets.
    HBITMAP previous = static_cast<HBITMAP>(SelectObject(memory, fresh));
    HDC copy = CreateCompatibleDC(memory);
    HGDIOBJ old = SelectObject(copy, previous);
    BitBlt(memory, 0, 0, size.cx, size.cy, copy, 0, 0, SRCCOPY);
    if (withOverlays) DrawOverlays(window, copy);
    SelectObject(copy, old);
    DeleteDC(copy);
    return previous;
}

HBITMAP CaptureGraphBitmap(HWND window, bool withOverlays) {
    return MemoryDcOf(window) ? CaptureBackingBitmap(window, withOverlays) : CaptureScreen(window, withOverlays);
}

HGLOBAL BitmapToDib(HBITMAP bitmap) {
    if (!bitmap) return nullptr;
    BITMAP bm;
    if (!GetObjectA(bitmap, sizeof bm, &bm)) return nullptr;
    int depth = bm.bmPlanes * bm.bmBitsPixel;
    if (depth == 3) depth = 4;
    else if (depth > 8) depth = 24;
    BmpInfo info = {};
    info.headerSize = kBmpInfoHeaderSize;
    info.width = bm.bmWidth;
    info.height = bm.bmHeight;
    info.planes = 1;
    info.bitCount = static_cast<uint16_t>(depth);
    const uint32_t table = 4 * GetDibColorCount(info);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kBmpInfoHeaderSize + table);
    if (!block) return nullptr;
    HDC screen = GetDC(nullptr);
    bool ok = false;
    if (auto *header = static_cast<unsigned char *>(GlobalLock(block))) {
        StoreBmpInfo(info, header);
        ok = GetDIBits(screen, bitmap, 0, bm.bmHeight, nullptr, reinterpret_cast<BITMAPINFO *>(header),
                       DIB_RGB_COLORS) != 0;
        ParseBmpInfo(header, &info);
        GlobalUnlock(block);
    }
    if (info.sizeImage == 0) info.sizeImage = DibRowBytes(depth, bm.bmWidth) * bm.bmHeight;
    if (ok) {
        HGLOBAL grown = GlobalReAlloc(block, kBmpInfoHeaderSize + table + info.sizeImage, GMEM_MOVEABLE);
        ok = grown != nullptr;
        if (grown) block = grown;
    }
    if (ok) {
        auto *header = static_cast<unsigned char *>(GlobalLock(block));
        StoreBmpInfo(info, header);
        ok = header && GetDIBits(screen, bitmap, 0, bm.bmHeight, header + kBmpInfoHeaderSize + table,
                                 reinterpret_cast<BITMAPINFO *>(header), DIB_RGB_COLORS) != 0;
        GlobalUnlock(block);
    }
    ReleaseDC(nullptr, screen);
    if (!ok) {
        GlobalFree(block);
        return nullptr;
    }
    return block;
}

HGLOBAL CaptureGraphDib(HWND window, HBITMAP bitmap) {
    if (bitmap) return BitmapToDib(bitmap);
    HBITMAP captured = CaptureGraphBitmap(window, true);
    HGLOBAL dib = BitmapToDib(captured);
    if (captured) DeleteObject(captured);
    return dib;
}

HGLOBAL CaptureGraphDibPlain(HWND window, bool deleteBitmap) {
    HBITMAP captured = CaptureGraphBitmap(window, false);
    HGLOBAL dib = BitmapToDib(captured);
    if (captured && deleteBitmap) DeleteObject(captured);
    return dib;
}

HMETAFILE CaptureGraphMetafile(HWND window) {
    WaitCursor wait;
    GraphWindowState *state = GraphStateOf(window);
    HDC dc = CreateMetaFileA(nullptr);
    if (!dc || !state) {
        if (dc) DeleteMetaFile(CloseMetaFile(dc));
        return nullptr;
    }
    SIZE size = ClientSize(window);
    SetWindowExtEx(dc, size.cx, size.cy, nullptr);
    const int32_t plotter = state->plotterOutput;
    state->plotterOutput = 0;
    GraphWindowState *savedGraph = gCurrentGraph;
    DcHandle savedDc = gDrawDc;
    gCurrentGraph = state;
    gDrawDc = FromHdc(dc);
    DrawOverlays(window, dc);
    ReplayDisplayList();
    gDrawDc = savedDc;
    gCurrentGraph = savedGraph;
    state->plotterOutput = plotter;
    return CloseMetaFile(dc);
}

// ---------------------------------------------------------------- clipboard

void CopyGraphWindow(HWND window) {
    if (!OpenClipboard(window)) {
        ShowErrorBox(IDS_CANNOT_GET_SCREEN);
        return;
    }
    if (!EmptyClipboard()) {
        CloseClipboard();
        ShowErrorBox(IDS_CANNOT_GET_SCREEN);
        return;
    }
    HBITMAP bitmap = nullptr;
    if (gPutBmp) {
        bitmap = CaptureGraphBitmap(window, true);
        // The packed bitmap comes from the same picture, before the
        // clipboard owns the bitmap.
        if (gPutDib) {
            if (HGLOBAL dib = BitmapToDib(bitmap))
                if (!SetClipboardData(CF_DIB, dib)) GlobalFree(dib);
        }
        if (bitmap && !SetClipboardData(CF_BITMAP, bitmap)) DeleteObject(bitmap);
    } else if (gPutDib) {
        if (HGLOBAL dib = CaptureGraphDib(window, nullptr))
            if (!SetClipboardData(CF_DIB, dib)) GlobalFree(dib);
    }
    if (gPutMetaFile) {
        HMETAFILE metafile = CaptureGraphMetafile(window);
        HGLOBAL record = metafile ? GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(METAFILEPICT)) : nullptr;
        if (record) {
            GraphWindowState *state = GraphStateOf(window);
            SIZE size = ClientSize(window);
            HDC screen = GetDC(nullptr);
            auto *picture = static_cast<METAFILEPICT *>(GlobalLock(record));
            picture->mm = state && state->aspectMode == 0 ? MM_ANISOTROPIC : MM_ISOTROPIC;
            picture->xExt = MulDiv(size.cx, GetDeviceCaps(screen, HORZSIZE) * 100, GetDeviceCaps(screen, HORZRES));
            picture->yExt = MulDiv(size.cy, GetDeviceCaps(screen, VERTSIZE) * 100, GetDeviceCaps(screen, VERTRES));
            picture->hMF = metafile;
            GlobalUnlock(record);
            ReleaseDC(nullptr, screen);
            if (!SetClipboardData(CF_METAFILEPICT, record)) {
                GlobalFree(record);
                DeleteMetaFile(metafile);
            }
        } else if (metafile) {
            DeleteMetaFile(metafile);
        }
    }
    CloseClipboard();
}

static int StretchInto(HWND window, HDC dc, HDC source, int w, int h) {
    SIZE size = ResizedPicture(window, w, h);
    const DWORD rop = PasteRasterOperation(gPasteOptions.colors);
    SetStretchBltMode(dc, PasteStretchMode(gPasteOptions.priority));
    int result = StretchBlt(dc, 0, 0, size.cx, size.cy, source, 0, 0, w, h, rop);
    if (HDC memory = MemoryDcOf(window)) {
        SetStretchBltMode(memory, PasteStretchMode(gPasteOptions.priority));
        result = StretchBlt(memory, 0, 0, size.cx, size.cy, source, 0, 0, w, h, rop);
    }
    return result;
}

int DrawDibIntoGraph(HWND window, HDC dc, const BITMAPINFO *info, const void *bits) {
    const int w = info->bmiHeader.biWidth, h = std::abs(info->bmiHeader.biHeight);
    SIZE size = ResizedPicture(window, w, h);
    const DWORD rop = PasteRasterOperation(gPasteOptions.colors);
    SetStretchBltMode(dc, PasteStretchMode(gPasteOptions.priority));
    int result = StretchDIBits(dc, 0, 0, size.cx, size.cy, 0, 0, w, h, bits, info, DIB_RGB_COLORS, rop);
    if (HDC memory = MemoryDcOf(window)) {
        SetStretchBltMode(memory, PasteStretchMode(gPasteOptions.priority));
        result = StretchDIBits(memory, 0, 0, size.cx, size.cy, 0, 0, w, h, bits, info, DIB_RGB_COLORS, rop);
    }
    return result;
}

static int PasteBitmap(HWND window, HDC dc) {
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP bm;
    if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm)) return 0;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    int result = StretchInto(window, dc, source, bm.bmWidth, bm.bmHeight);
    SelectObject(source, old);
    DeleteDC(source);
    return result;
}

static int PasteDib(HWND window, HDC dc) {
    HGLOBAL block = GetClipboardData(CF_DIB);
    if (!block) return 0;
    const auto *bytes = static_cast<const unsigned char *>(GlobalLock(block));
    int result = 0;
    // Another program's block is checked before its sizes are believed.
    if (bytes && CheckDib(bytes, GlobalSize(block)) == kBmpOk) {
        DibBlock dib = {const_cast<unsigned char *>(bytes), GlobalSize(block)};
        result = DrawDibIntoGraph(window, dc, reinterpret_cast<const BITMAPINFO *>(bytes), GetDibBitsPointer(dib));
    }
    if (bytes) GlobalUnlock(block);
    return result;
}

static int PasteMetafile(HWND window, HDC dc) {
    HGLOBAL block = GetClipboardData(CF_METAFILEPICT);
    if (!block || GlobalSize(block) < sizeof(METAFILEPICT)) return 0;
    auto *picture = static_cast<METAFILEPICT *>(GlobalLock(block));
    if (!picture) return 0;
    SIZE client = ClientSize(window), size = {0, 0};
    int saved = SaveDC(dc);
    SetMapMode(dc, picture->mm);
    if (picture->mm == MM_ISOTROPIC || picture->mm == MM_ANISOTROPIC) {
        HDC screen = GetDC(nullptr);
        // Pixels per 0.01 mm, from the screen's measures.
        const double px = GetDeviceCaps(screen, HORZRES) / (GetDeviceCaps(screen, HORZSIZE) * 100.0);
        const double py = GetDeviceCaps(screen, VERTRES) / (GetDeviceCaps(screen, VERTSIZE) * 100.0);
        ReleaseDC(nullptr, screen);
        if (picture->xExt == 0 || picture->yExt == 0) {
            size = client;
        } else if (picture->xExt < 0 || picture->yExt < 0) {
            // An aspect ratio only: the largest size of it that fits.
            const double sx = client.cx / px / -picture->xExt, sy = client.cy / py / -picture->yExt;
            const double s = sx < sy ? sx : sy;
            size = {static_cast<LONG>(-picture->xExt * s * px), static_cast<LONG>(-picture->yExt * s * py)};
        } else {
            size = {static_cast<LONG>(picture->xExt * px + 0.5), static_cast<LONG>(picture->yExt * py + 0.5)};
        }
    }
    int result;
    auto play = [&](HDC target) {
        int s = SaveDC(target);
        if (size.cx && size.cy) {
            SetMapMode(target, MM_ANISOTROPIC);
            SetViewportExtEx(target, size.cx, size.cy, nullptr);
        } else {
            SetMapMode(target, picture->mm);
        }
        int r = PlayMetaFile(target, picture->hMF);
        RestoreDC(target, s);
        return r;
    };
    if (size.cx && size.cy) size = ResizedPicture(window, size.cx, size.cy);
    result = play(dc);
    if (HDC memory = MemoryDcOf(window)) result = play(memory);
    RestoreDC(dc, saved);
    GlobalUnlock(block);
    return result;
}

int PasteIntoGraph(HWND window) {
    HDC dc = GetDC(window);
    if (!dc) return Fail(IDS_CANNOT_PUT_SCREEN);
    int result = 0;
    if (OpenClipboard(window)) {
        const bool any = IsClipboardFormatAvailable(CF_BITMAP) || IsClipboardFormatAvailable(CF_DIB) ||
                         IsClipboardFormatAvailable(CF_METAFILEPICT);
        // Every format the clipboard holds may be chosen.
        unsigned enabled = (IsClipboardFormatAvailable(CF_BITMAP) ? 1u << kPasteBitmap : 0) |
                           (IsClipboardFormatAvailable(CF_DIB) ? 1u << kPasteDib : 0) |
                           (IsClipboardFormatAvailable(CF_METAFILEPICT) ? 1u << kPasteMetafile : 0);
        if (any && RunPasteDialog(window, enabled) == IDOK) {
            PlatformPumpMessages();
            WaitCursor wait;
            HiddenCaret caret(window);
            // A choice the clipboard does not hold falls to the next one it has.
            int format = gPasteOptions.format;
            for (int i = 0; i < 3 && !(enabled & (1u << format)); ++i) format = (format + 1) % 3;
            gPasteOptions.format = format;
            result = format == kPasteBitmap ? PasteBitmap(window, dc)
                     : format == kPasteDib  ? PasteDib(window, dc)
                                            : PasteMetafile(window, dc);
            if (!result) ShowErrorBox(IDS_CANNOT_PUT_SCREEN);
        }
        CloseClipboard();
    }
    ReleaseDC(window, dc);
    return result;
}

// ---------------------------------------------------------------- files

HGLOBAL DibToGlobal(const DibBlock &dib) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, dib.size);
    if (!block) return nullptr;
    memcpy(GlobalLock(block), dib.bytes, dib.size);
    GlobalUnlock(block);
    return block;
}

int SaveScreenBmp(HWND window, const char *path) {
    WaitCursor wait;
    HiddenCaret caret(window);
    HGLOBAL block = CaptureGraphDib(window, nullptr);
    if (!block) return Fail(IDS_CANNOT_SAVE_SCREEN);
    DibBlock dib = {static_cast<unsigned char *>(GlobalLock(block)), GlobalSize(block)};
    BmpStatus status = WriteBmpFile(path, dib);
    GlobalUnlock(block);
    GlobalFree(block);
    return status == kBmpOk ? 1 : Fail(IDS_CANNOT_SAVE_SCREEN);
}

int WritePlaceableWmf(const char *path, HMETAFILE metafile, const RECT &box, int inch) {
    gPlaceableTemplate.left = static_cast<int16_t>(box.left);
    gPlaceableTemplate.top = static_cast<int16_t>(box.top);
    gPlaceableTemplate.right = static_cast<int16_t>(box.right);
    gPlaceableTemplate.bottom = static_cast<int16_t>(box.bottom);
    gPlaceableTemplate.inch = static_cast<uint16_t>(inch);
    UINT size = GetMetaFileBitsEx(metafile, 0, nullptr);
    void *bits = size ? calloc(1, size) : nullptr;
    if (!bits || GetMetaFileBitsEx(metafile, size, bits) != size) {
        free(bits);
        return 0;
    }
    WmfStatus status = WritePlaceableWmfFile(path, gPlaceableTemplate, bits, size);
    const int error = errno;
    free(bits);
    if (status != kWmfOk) {
        ShowSystemError(error == ENOENT ? ERROR_PATH_NOT_FOUND : error == EACCES ? ERROR_ACCESS_DENIED : ERROR_WRITE_FAULT);
        return 0;
    }
    return 1;
}

int SaveScreenWmf(HWND window, const char *path) {
    WaitCursor wait;
    // The replay reads the blocks while the metafile is recorded.
    gMetafileRecording = 1;
    HMETAFILE metafile = CaptureGraphMetafile(window);
    gMetafileRecording = 0;
    if (!metafile) return Fail(IDS_CANNOT_SAVE_SCREEN);
    RECT box;
    GetClientRect(window, &box);
    HDC dc = GetDC(window);
    const int inch = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(window, dc);
    int ok = WritePlaceableWmf(path, metafile, box, inch);
    DeleteMetaFile(metafile);
    return ok;
}

int LoadGraphBmp(HWND window, const char *path) {
    DibBlock dib{};
    if (ReadBmpFile(path, &dib) != kBmpOk) return Fail(IDS_CANNOT_LOAD_SCREEN);
    int result = 0;
    if (RunPasteDialog(window, 1u << kPasteDib) == IDOK) {
        HDC dc = GetDC(window);
        HiddenCaret caret(window);
        result = dc ? DrawDibIntoGraph(window, dc, reinterpret_cast<const BITMAPINFO *>(dib.bytes),
                                       GetDibBitsPointer(dib))
                    : 0;
        if (dc) ReleaseDC(window, dc);
        if (!result) ShowErrorBox(IDS_CANNOT_LOAD_SCREEN);
    }
    FreeDib(&dib);
    return result;
}

int LoadGraphLibraryPicture(HWND window, const char *path) {
    LibraryImage image;
    if (!ReadLibraryImage(path, &image)) return 0;
    int result = 0;
    if (RunPasteDialog(window, 1u << kPasteDib) == IDOK) {
        HDC dc = GetDC(window);
        HideCaret(window);
        result = dc && image.info && image.bits ? DrawDibIntoGraph(window, dc, image.info, image.bits) : 0;
        if (!result) ShowErrorBox(IDS_CANNOT_LOAD_SCREEN);
        ShowCaret(window);
        if (dc) ReleaseDC(window, dc);
    }
    FreeLibraryImage(&image);
    return result;
}

int SaveGraphLibraryPicture(HWND window, const char *path) {
    if (LoadFreeImage() != 1) return 0;
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    HideCaret(window);
    HBITMAP captured = CaptureGraphBitmap(window, true);
    const int result = WriteLibraryImage(captured, path);
    if (captured) DeleteObject(captured);
    ShowCaret(window);
    SetCursor(previous);
    return result;
}

// ---------------------------------------------------------------- commands

void CopyGraphPicture(HWND window) {
    if (IsIconic(window)) return;
    CopyGraphWindow(window);
}

void PasteGraphPicture(HWND window) {
    if (!GraphStateOf(window)) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    if (IsIconic(window)) return;
    PasteIntoGraph(window);
}

int SaveGraphPicture(HWND window, const char *path, int format) {
    switch (format) {
    case kPictureFileBmp: return SaveScreenBmp(window, path);
    case kPictureFileWmf: return SaveScreenWmf(window, path);
    case kPictureFileLibrary: return SaveGraphLibraryPicture(window, path);
    default: return 0;
    }
}

int LoadGraphPicture(HWND window, const char *path, int format) {
    switch (format) {
    case kPictureFileBmp: return LoadGraphBmp(window, path);
    case kPictureFileWmf: return LoadMetafilePicture(window, path);
    case kPictureFileLibrary: return LoadGraphLibraryPicture(window, path);
    default: return 0;
    }
}

int SaveGraphPoints(HWND window, const char *path) {
    GraphWindowState *state = GraphStateOf(window);
    if (!state) {
        MessageBeep(MB_ICONEXCLAMATION);
        return 0;
    }
    if (!state->displayFirst) return 0;
    PlatformPumpMessages();
    // The pump may have closed the window.
    state = IsWindow(window) ? GraphStateOf(window) : nullptr;
    if (!state) return 0;
    errno = 0;
    switch (SaveDisplayPoints(state, path, gSavePoints)) {
    case kSavePointsDone: return 1;
    case kSavePointsNothing: return 0;
    case kSavePointsOpenFailed:
        ShowSystemError(errno == ENOENT ? ERROR_PATH_NOT_FOUND
                        : errno == EACCES ? ERROR_ACCESS_DENIED
                        : errno == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY
                                          : ERROR_OPEN_FAILED);
        return 0;
    default:
        ShowSystemError(ERROR_WRITE_FAULT);
        return 0;
    }
}
