#include "printing_win32.h"

#include <commdlg.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "display_list.h"
#include "eps_output.h"
#include "file_dialogs.h"
#include "dib.h"
#include "graph_drawing.h"
#include "graph_pictures.h"
#include "graph_pipeline.h"
#include "safe_save.h"
#include "graph_window_win32.h"
#include "messages.h"
#include "msgbox_win32.h"
#include "platform.h"
#include "plotter.h"
#include "problem_settings.h"
#include "resource_ids.h"
#include "settings.h"
#include "settings_files.h"
#include "string_ids.h"
#include "window_helpers.h"

PrintSettings gPrintSettings;
int gPrintSettingsOwn;
int gPageWidthMm10, gPageHeightMm10;
int gPrintAbort;
HWND gPrintingDialog;
int gPrintWithoutDialog;
NamedPrinter gPrintWithoutDialogPrinter;
int gPrinterSetupRequested;

namespace {

bool EscapeScalingFactor(HDC dc, POINT *factor) {
    return ExtEscape(dc, GETSCALINGFACTOR, 0, nullptr, sizeof *factor, reinterpret_cast<LPSTR>(factor)) > 0;
}

}  // namespace

bool (*gQueryPrinterScaling)(HDC dc, POINT *factor) = EscapeScalingFactor;

namespace {

HGLOBAL gDevNames, gDevMode;  // the kept selection; null: the default printer
char gDocumentTitle[255];
char gDeviceName[128], gPortName[128];
HDC gPrinter;
// The modes the current window offers, in table order.
int gAvailableModes[6], gAvailableCount;

const char *Text(int id) { return LoadTextResource(id); }

// ---- Settings

struct IntKey {
    int keyId;
    int32_t PrintSettings::*field;
    int def;
};
const IntKey kIntKeys[] = {
    {IDS_KEY_TOTAL_X, &PrintSettings::totalX, 0},       {IDS_KEY_TOTAL_Y, &PrintSettings::totalY, 0},
    {IDS_KEY_PRINT_LEFT, &PrintSettings::leftMargin, 0}, {IDS_KEY_PRINT_WIDTH, &PrintSettings::printWidth, 0},
    {IDS_KEY_PRINT_TOP, &PrintSettings::topMargin, 0},  {IDS_KEY_PRINT_HEIGHT, &PrintSettings::printHeight, 0},
    {IDS_KEY_PRINT_UNIT, &PrintSettings::unit, 0},      {IDS_KEY_PRINT_MODE, &PrintSettings::mode, 0},
    {IDS_KEY_PRINT_PIXELS, &PrintSettings::pixelsPerPoint, 10},
    {IDS_KEY_PRINT_LINE, &PrintSettings::basicWidth, 1}, {IDS_KEY_PRINT_FRAME, &PrintSettings::frameWidth, 0},
    {IDS_KEY_PRINT_EPS, &PrintSettings::eps, 0},         {IDS_KEY_PRINT_INVERT, &PrintSettings::invert, 0},
    {IDS_KEY_PRINT_INCLUDE, &PrintSettings::includeElements, 1},
    {IDS_KEY_PRINT_PRESERVE, &PrintSettings::preserveAspect, 1},
    {IDS_KEY_PRINT_ROTATE, &PrintSettings::rotate, 0},   {IDS_KEY_POST_PROCESS, &PrintSettings::postProcess, 0},
    {IDS_KEY_POST_DELETE, &PrintSettings::postDelete, 0},
};
struct StringKey {
    int keyId;
    char *PrintSettings::*field;
    int size;
};
const StringKey kStringKeys[] = {
    {IDS_KEY_PRINT_FILE, &PrintSettings::epsFile, 260},
    {IDS_KEY_POST_PROGRAM, &PrintSettings::postProgram, 260},
    {IDS_KEY_POST_PARAMETERS, &PrintSettings::postArguments, 520},
};

char *Duplicate(const char *s) {
    const size_t n = std::strlen(s ? s : "") + 1;
    char *copy = static_cast<char *>(std::malloc(n));
    if (copy) std::memcpy(copy, s ? s : "", n);
    return copy;
}

void SetString(char *PrintSettings::*field, PrintSettings &p, const char *value) {
    char *copy = Duplicate(value);
    if (!copy) return;  // the old text stays
    std::free(p.*field);
    p.*field = copy;
}

const char *Str(const char *s) { return s ? s : ""; }

void ClampSettings(PrintSettings &p) {
    if (p.pixelsPerPoint < 1) p.pixelsPerPoint = 1;
    if (p.basicWidth < 1) p.basicWidth = 1;
    if (p.unit < 0 || p.unit > 4) p.unit = 0;
    if (p.mode < 0 || p.mode > 5) p.mode = 0;
}

// ---- Printer

void ReadDefaultPrinter(char *device, char *driver, char *port) {
    device[0] = driver[0] = port[0] = 0;
    char line[400];
    GetProfileStringA("windows", "device", "", line, sizeof line);
    char *p = line;
    auto piece = [&p](char *out, const char *stops) {
        size_t n = std::strcspn(p, stops);
        if (n > 127) n = 127;
        std::memcpy(out, p, n);
        out[n] = 0;
        p += std::strcspn(p, ",");
        if (*p == ',') ++p;
        while (*p == ' ') ++p;
    };
    piece(device, ",");
    piece(driver, ", ");
    piece(port, ", ");
}

int Round(double v) { return static_cast<int>(std::floor(v + 0.5)); }

}  // namespace

void LoadPrintSettings() {
    GraphWindowState *g = gCurrentGraph;
    PrintSettings &p = gPrintSettings;
    gPrintSettingsOwn = g && g->print.ownSettings;
    if (gPrintSettingsOwn) {
        for (const IntKey &k : kIntKeys) p.*k.field = g->print.*k.field;
        p.minDistance = g->print.minDistance;
        for (const StringKey &k : kStringKeys) SetString(k.field, p, g->print.*k.field);
    } else {
        const char *section = Text(IDS_SECTION_PRINTER);
        std::string sectionName = section;
        for (const IntKey &k : kIntKeys) {
            std::string key = Text(k.keyId);
            p.*k.field = ReadSettingInt(sectionName.c_str(), key.c_str(), k.def, 0);
        }
        char buffer[524];
        std::string key = Text(IDS_KEY_MIN_DISTANCE);
        ReadSettingString(sectionName.c_str(), key.c_str(), "0", buffer, sizeof buffer, 0);
        if (std::sscanf(buffer, "%lg", &p.minDistance) != 1) p.minDistance = 0;
        for (const StringKey &k : kStringKeys) {
            key = Text(k.keyId);
            ReadSettingString(sectionName.c_str(), key.c_str(), "", buffer, k.size, 0);
            SetString(k.field, p, buffer);
        }
    }
    p.ownSettings = gPrintSettingsOwn;
    ClampSettings(p);
}

void StorePrintSettings() {
    PrintSettings &p = gPrintSettings;
    gProblemChanged = 1;
    if (GraphWindowState *g = gCurrentGraph) {
        for (const IntKey &k : kIntKeys) g->print.*k.field = p.*k.field;
        g->print.minDistance = p.minDistance;
        for (const StringKey &k : kStringKeys) SetString(k.field, g->print, p.*k.field);
        g->print.ownSettings = 1;
    }
    const std::string section = Text(IDS_SECTION_PRINTER);
    char number[40];
    for (const IntKey &k : kIntKeys) {
        std::snprintf(number, sizeof number, "%d", static_cast<int>(p.*k.field));
        std::string key = Text(k.keyId);
        WriteSettingString(section.c_str(), key.c_str(), number, 0);
    }
    std::snprintf(number, sizeof number, "%.15lg", p.minDistance);
    std::string key = Text(IDS_KEY_MIN_DISTANCE);
    WriteSettingString(section.c_str(), key.c_str(), number, 0);
    for (const StringKey &k : kStringKeys) {
        key = Text(k.keyId);
        WriteSettingString(section.c_str(), key.c_str(), Str(p.*k.field), 0);
    }
}

void ShowPrinterSetup(HWND owner) {
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = owner;
    pd.hDevMode = gDevMode;
    pd.hDevNames = gDevNames;
    pd.Flags = PD_PRINTSETUP;
    if (PrintDlgA(&pd)) {
        gDevMode = pd.hDevMode;
        gDevNames = pd.hDevNames;
    }
}

void FreePrinterSelection() {
    if (gDevMode) GlobalFree(gDevMode);
    if (gDevNames) GlobalFree(gDevNames);
    gDevMode = gDevNames = nullptr;
}

HDC OpenPrinterDC() {
    char device[128], driver[128], port[128];
    DEVMODEA *mode = nullptr;
    if (gDevNames) {
        const DEVNAMES *names = static_cast<const DEVNAMES *>(GlobalLock(gDevNames));
        const char *base = reinterpret_cast<const char *>(names);
        std::snprintf(driver, sizeof driver, "%s", base + names->wDriverOffset);
        std::snprintf(device, sizeof device, "%s", base + names->wDeviceOffset);
        std::snprintf(port, sizeof port, "%s", base + names->wOutputOffset);
        GlobalUnlock(gDevNames);
        if (gDevMode) mode = static_cast<DEVMODEA *>(GlobalLock(gDevMode));
    } else {
        ReadDefaultPrinter(device, driver, port);
    }
    HDC dc = device[0] ? CreateDCA(driver, device, nullptr, mode) : nullptr;
    if (mode) GlobalUnlock(gDevMode);
    if (!dc) return nullptr;
    std::snprintf(gDeviceName, sizeof gDeviceName, "%s", device);
    std::snprintf(gPortName, sizeof gPortName, "%s", port);
    PrintSettings &p = gPrintSettings;
    const int totalX = GetDeviceCaps(dc, HORZRES), totalY = GetDeviceCaps(dc, VERTRES);
    if (p.totalX > 0 && p.totalY > 0) {
        // Another resolution keeps the area at its place on the page.
        p.leftMargin = EpsMulDiv(p.leftMargin, totalX, p.totalX);
        p.printWidth = EpsMulDiv(p.printWidth, totalX, p.totalX);
        p.topMargin = EpsMulDiv(p.topMargin, totalY, p.totalY);
        p.printHeight = EpsMulDiv(p.printHeight, totalY, p.totalY);
    } else {
        p.leftMargin = Round(totalX / 9.0);
        p.printWidth = Round(7.0 * totalX / 9.0);
        p.topMargin = Round(totalY / 9.0);
        p.printHeight = Round(7.0 * totalY / 9.0);
    }
    p.totalX = totalX;
    p.totalY = totalY;
    gPageWidthMm10 = GetDeviceCaps(dc, HORZSIZE) * 10;
    gPageHeightMm10 = GetDeviceCaps(dc, VERTSIZE) * 10;
    return dc;
}

// ---- Progress and errors

namespace {

INT_PTR CALLBACK PrintingDlgProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        CenterDialogInFrame(dialog);
        SetDlgItemTextA(dialog, IDC_PRINTING_TITLE, reinterpret_cast<const char *>(lParam));
        EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_GRAYED);
        return TRUE;
    }
    case WM_COMMAND:
        gPrintAbort = 1;
        if (gFrameWindow) EnableWindow(gFrameWindow, TRUE);
        if (HWND owner = GetWindow(dialog, GW_OWNER)) EnableWindow(owner, TRUE);
        DestroyWindow(dialog);
        gPrintingDialog = nullptr;
        return TRUE;
    }
    return FALSE;
}

}  // namespace

HWND OpenPrintingDialog(HWND owner, const char *title) {
    gPrintingDialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PRINTING), owner,
                                         PrintingDlgProc, reinterpret_cast<LPARAM>(title));
    return gPrintingDialog;
}

namespace {

// Unless the user cancelled (the dialog has then gone), enables the owner
// and closes the progress dialog.
void ClosePrintingDialog(HWND owner) {
    if (gPrintAbort || !gPrintingDialog) return;
    if (owner) EnableWindow(owner, TRUE);
    DestroyWindow(gPrintingDialog);
    gPrintingDialog = nullptr;
}

}  // namespace

BOOL CALLBACK PrintAbortProc(HDC, int) {
    GraphWindowState *graph = gCurrentGraph;
    MSG msg;
    while (!gPrintAbort && PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        const bool own = gPrintingDialog && (msg.hwnd == gPrintingDialog || IsChild(gPrintingDialog, msg.hwnd));
        // Paints and commands of other windows wait for the end of printing.
        if (!own && (msg.message == WM_PAINT || msg.message == WM_COMMAND)) break;
        PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
        if (gPrintingDialog && IsDialogMessageA(gPrintingDialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    gCurrentGraph = graph;
    return !gPrintAbort;
}

void ShowPrintError(int code) {
    if (!(code & 0x4000)) return;
    int id = IDS_PRINT_GENERAL_ERROR;
    switch (static_cast<short>(code)) {
    case SP_OUTOFDISK: id = IDS_PRINT_DISK_SPACE; break;
    case SP_OUTOFMEMORY: id = IDS_PRINT_MEMORY; break;
    case SP_ERROR: id = IDS_COULD_NOT_PRINT; break;
    case SP_APPABORT:
    case SP_USERABORT: id = IDS_PRINT_CANCELED; break;
    }
    ShowErrorBox(id);
}

// ---- Graph printing

namespace {

constexpr int kModeNames[6] = {IDS_PRINT_MODE_NOTHING, IDS_PRINT_MODE_METAFILE, IDS_PRINT_MODE_BITMAP,
                               IDS_PRINT_MODE_BITMAP_1, IDS_PRINT_MODE_BITMAP_2, IDS_PRINT_MODE_BITMAP_4};
constexpr int kUnitNames[5] = {IDS_PRINT_UNIT_PIXEL, IDS_PRINT_UNIT_MM, IDS_PRINT_UNIT_INCH,
                               IDS_PRINT_UNIT_POINT_10, IDS_PRINT_UNIT_POINT};
constexpr int kModeFactor[6] = {0, 0, 0, 1, 2, 4};

void BuildAvailableModes() {
    const GraphWindowState *g = gCurrentGraph;
    gAvailableCount = 0;
    for (int mode = 0; mode < 6; ++mode) {
        if (mode == 1 && !(g && g->capture && g->displayFirst)) continue;
        gAvailableModes[gAvailableCount++] = mode;
    }
    bool available = false;
    for (int i = 0; i < gAvailableCount; ++i) available |= gAvailableModes[i] == gPrintSettings.mode;
    if (!available) gPrintSettings.mode = 0;
}

int gVectorLine;
int PumpPrintAbort() { return !PrintAbortProc(gPrinter, 0); }

// The state of the current graph turned into a drawing onto the printer at
// (left, top) with the given size; the caller restores it.
void BeginPrinterDrawing(HDC dc, int left, int top, int width, int height) {
    GraphWindowState *g = gCurrentGraph;
    const PrintSettings &p = gPrintSettings;
    g->bitmapMode = 0;
    g->memoryDc = 0;
    g->savedDcBitmap = 0;
    g->aspectMode = 0;
    g->fixedWidth = g->fixedHeight = 0;
    g->capture = 0;
    g->plotter.recording = 0;
    g->plotter.width = p.basicWidth;
    g->penWidth = -1;
    const int clientWidth = g->clientMaxX + 1;
    if (clientWidth > 0) {
        g->cellLength = EpsMulDiv(g->cellLength, width, clientWidth);
        g->markLength = EpsMulDiv(g->markLength, width, clientWidth);
    }
    SetViewportOrgEx(dc, left, top, nullptr);
    gDrawDc = FromHdc(dc);
    gPrinterDc = gDrawDc;
    SetClientExtent(width - 1, height - 1);
    UpdateGraphMapping();
}

void EndPrinterDrawing(HDC dc, const GraphWindowState &saved) {
    ReleasePens();
    SetViewportOrgEx(dc, 0, 0, nullptr);
    std::memcpy(gCurrentGraph, &saved, sizeof saved);
    gPrinterDc = 0;
}

// The window's display list onto the printer; with the full redraw when
// elements are included.
void PrintGraphVectors(HWND owner, bool replay) {
    if (!OpenPrintingDialog(owner, gDocumentTitle)) {
        ShowErrorBox(IDS_CANNOT_PRINT);
        return;
    }
    GraphWindowState *g = gCurrentGraph;
    const DisplayReplayHooks hooks = gDisplayReplayHooks;
    gDisplayReplayHooks.pumpCheckEscape = PumpPrintAbort;
    gVectorLine = gPrintSettings.basicWidth;
    if (replay && g->displayFirst) {
        SetPen(g->penColor, g->penWidth < 0 ? 0 : g->penWidth);
        ReplayDisplayList();
    }
    gDisplayReplayHooks = hooks;
    if (gPrintSettings.includeElements && !gPrintAbort) RedrawGraphWindow(nullptr);
}

// The rows of a packed bitmap: behind its header and colour table.
const void *PackedDibBits(const BITMAPINFO *info) {
    BmpInfo header;
    ParseBmpInfo(reinterpret_cast<const unsigned char *>(info), &header);
    return reinterpret_cast<const unsigned char *>(info) + header.headerSize + GetDibColorTableSize(header);
}

// The captured bitmap onto the page: stretched to the area (factor 0) or at
// factor printer pixels per bitmap pixel from the area's top left corner.
void PrintDibBitmap(HWND owner, HDC dc, HGLOBAL dib, int factor) {
    const BITMAPINFO *info = dib ? static_cast<const BITMAPINFO *>(GlobalLock(dib)) : nullptr;
    if (!info) {
        ShowErrorBox(IDS_CANNOT_PRINT);
        return;
    }
    const PrintSettings &p = gPrintSettings;
    const int bw = info->bmiHeader.biWidth, bh = std::abs(static_cast<int>(info->bmiHeader.biHeight));
    const int width = factor ? factor * bw : p.printWidth, height = factor ? factor * bh : p.printHeight;
    HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    OpenPrintingDialog(owner, gDocumentTitle);
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    if (StretchDIBits(dc, p.leftMargin, p.topMargin, width, height, 0, 0, bw, bh, PackedDibBits(info), info,
                      DIB_RGB_COLORS, p.invert ? NOTSRCCOPY : SRCCOPY) == static_cast<int>(GDI_ERROR)) {
        ShowErrorBox(IDS_CANNOT_PRINT);
    } else if (p.includeElements && gCurrentGraph->elements) {
        GraphWindowState saved;
        std::memcpy(&saved, gCurrentGraph, sizeof saved);
        const DcHandle savedDc = gDrawDc;
        BeginPrinterDrawing(dc, p.leftMargin, p.topMargin, width, height);
        DrawAllGraphicsElements();
        EndPrinterDrawing(dc, saved);
        gDrawDc = savedDc;
    }
    GlobalUnlock(dib);
    SetStretchBltMode(dc, oldMode);
    SetCursor(cursor);
}

// Starts the document on the printer with the abort procedure, the owner
// disabled meanwhile; false (reported) when the spooler refuses.
bool StartPrintJob(HWND owner, HDC dc) {
    if (owner) EnableWindow(owner, FALSE);
    SetAbortProc(dc, PrintAbortProc);
    DOCINFOA doc = {sizeof doc, gDocumentTitle, nullptr, nullptr, 0};
    const int result = StartDocA(dc, &doc);
    if (result > 0) return true;
    ShowPrintError(result ? result : SP_ERROR);
    return false;
}

// Ends the page and the document (a cancel or a spooler error abandons it)
// and closes the progress dialog.
void EndPrintJob(HWND owner, HDC dc) {
    const int result = gPrintAbort ? SP_APPABORT : EndPage(dc);
    if (result < 0) {
        AbortDoc(dc);
        if (!gPrintAbort) ShowPrintError(result);
    } else {
        EndDoc(dc);
    }
    ClosePrintingDialog(owner);
}

// A device that scales its output (the factor as a power of two) takes the
// clip rectangle in its own, scaled coordinates.
void ClipToPrintArea(HDC dc, const PrintSettings &p) {
    RECT r = {p.leftMargin, p.topMargin, p.leftMargin + p.printWidth, p.topMargin + p.printHeight};
    POINT factor = {0, 0};
    const auto shiftable = [](LONG k) { return k >= 0 && k < 31; };
    if (gQueryPrinterScaling(dc, &factor) && shiftable(factor.x) && shiftable(factor.y)) {
        r.left >>= factor.x;
        r.right >>= factor.x;
        r.top >>= factor.y;
        r.bottom >>= factor.y;
    }
    HRGN clip = CreateRectRgn(r.left, r.top, r.right, r.bottom);
    SelectClipRgn(dc, clip);
    DeleteObject(clip);
}

}  // namespace

void PrintGraphWindow(HWND owner, HWND graph) {
    GraphWindowState *g = GraphStateOf(graph);
    if (!g) return;
    HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    gCurrentGraph = g;
    LoadPrintSettings();
    gPrinter = OpenPrinterDC();
    SetCursor(cursor);
    if (!gPrinter) {
        ShowErrorBox(IDS_INVALID_PRINTER);
        return;
    }
    HDC dc = gPrinter;
    BuildAvailableModes();
    gPrintAbort = 0;
    GetWindowTextA(graph, gDocumentTitle, sizeof gDocumentTitle);
    HGLOBAL bitmap = nullptr;
    if (RunPrintDialog(owner)) {
        const PrintSettings &p = gPrintSettings;
        if (p.eps) {
            WriteEpsFile(owner, graph);
        } else {
            if (p.mode >= 2) bitmap = CaptureGraphDibPlain(graph, true);
            if (StartPrintJob(owner, dc)) {
                StartPage(dc);
                if (p.frameWidth > 0) {
                    const int w = p.basicWidth > 0 ? p.frameWidth * p.basicWidth : p.frameWidth;
                    HPEN pen = CreatePen(PS_SOLID, w, RGB(0, 0, 0));
                    HGDIOBJ oldPen = SelectObject(dc, pen);
                    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
                    // The pen is centred on the area's border.
                    Rectangle(dc, p.leftMargin - w / 2, p.topMargin - w / 2, p.leftMargin + p.printWidth - 1 + w / 2 + 1,
                              p.topMargin + p.printHeight - 1 + w / 2 + 1);
                    SelectObject(dc, oldBrush);
                    SelectObject(dc, oldPen);
                    DeleteObject(pen);
                }
                ClipToPrintArea(dc, p);
                if (p.mode >= 2) {
                    PrintDibBitmap(owner, dc, bitmap, kModeFactor[p.mode]);
                } else {
                    GraphWindowState saved;
                    std::memcpy(&saved, g, sizeof saved);
                    const DcHandle savedDc = gDrawDc;
                    BeginPrinterDrawing(dc, p.leftMargin, p.topMargin, p.printWidth, p.printHeight);
                    PrintGraphVectors(owner, p.mode == 1);
                    EndPrinterDrawing(dc, saved);
                    gDrawDc = savedDc;
                }
                EndPrintJob(owner, dc);
            } else {
                ClosePrintingDialog(owner);
            }
            if (owner) EnableWindow(owner, TRUE);
        }
    }
    DeleteDC(dc);
    gPrinter = nullptr;
    if (bitmap) GlobalFree(bitmap);
    if (gMdiClient) {
        HWND active = reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDIGETACTIVE, 0, 0));
        if (active) SetFocus(active);
    }
}

void PrintActiveWindow(HWND owner) {
    for (;;) {
        HWND active = gMdiClient ? reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDIGETACTIVE, 0, 0)) : nullptr;
        if (!active) return;
        gPrinterSetupRequested = 0;
        if (GraphStateOf(active)) {
            PrintGraphWindow(owner, active);
        } else {
            // A text window's rich-edit control is its first child.
            HWND control = GetWindow(active, GW_CHILD);
            if (control) PrintTextWindow(owner, active, control);
        }
        if (!gPrinterSetupRequested) return;
        ShowPrinterSetup(owner);
    }
}

// ---- EPS

namespace {

// A locked packed bitmap as the EPS writer reads it: row 0 at the top.
struct BitmapRows {
    const BITMAPINFO *info;
    const unsigned char *bits;
    int stride, height, bitCount;
    bool bottomUp;
};

bool OpenBitmapRows(const BITMAPINFO *info, BitmapRows *rows) {
    const BITMAPINFOHEADER &h = info->bmiHeader;
    if (h.biCompression != BI_RGB) return false;
    switch (h.biBitCount) {
    case 1: case 4: case 8: case 24: case 32: break;
    default: return false;
    }
    rows->info = info;
    rows->bits = static_cast<const unsigned char *>(PackedDibBits(info));
    rows->bitCount = h.biBitCount;
    rows->stride = static_cast<int>(DibRowBytes(h.biBitCount, static_cast<uint32_t>(h.biWidth)));
    rows->height = std::abs(static_cast<int>(h.biHeight));
    rows->bottomUp = h.biHeight > 0;
    return true;
}

// The colour reference (0x00BBGGRR) of a pixel.
int32_t BitmapPixel(void *context, int32_t x, int32_t y) {
    const BitmapRows *b = static_cast<const BitmapRows *>(context);
    const unsigned char *row = b->bits + static_cast<size_t>(b->bottomUp ? b->height - 1 - y : y) * b->stride;
    const unsigned char *p;
    if (b->bitCount >= 24) {
        p = row + static_cast<size_t>(x) * (b->bitCount / 8);
    } else {
        const int perByte = 8 / b->bitCount;
        const int shift = (perByte - 1 - x % perByte) * b->bitCount;
        const int index = (row[x / perByte] >> shift) & ((1 << b->bitCount) - 1);
        p = reinterpret_cast<const unsigned char *>(&b->info->bmiColors[index]);
    }
    // Blue, green, red in the bitmap.
    return p[2] | (p[1] << 8) | (p[0] << 16);
}

int BitmapAbort(void *) { return !PrintAbortProc(nullptr, 0); }

void ProductVersion(char *name, int nameSize, char *version, int versionSize) {
    std::snprintf(name, nameSize, "%s", Text(512)[0] ? Text(512) : "Vantorel");
    version[0] = 0;
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (!size) return;
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path, 0, size, data.data())) return;
    char *value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(data.data(), "\\StringFileInfo\\040904E4\\ProductName", reinterpret_cast<void **>(&value),
                       &length) && length)
        std::snprintf(name, nameSize, "%s", value);
    if (VerQueryValueA(data.data(), "\\StringFileInfo\\040904E4\\ProductVersion", reinterpret_cast<void **>(&value),
                       &length) && length)
        std::snprintf(version, versionSize, "%s", value);
}

}  // namespace

void WriteEpsFile(HWND owner, HWND graph) {
    GraphWindowState *g = GraphStateOf(graph);
    if (!g) return;
    gCurrentGraph = g;
    PrintSettings &p = gPrintSettings;
    if (p.rotate) {
        const int answer = AskYesNoCancel(IDS_EPS_ROTATION);
        if (answer == kIdCancel) return;
        // No writes the file without the rotation.
        if (answer == kIdNo) p.rotate = 0;
    }
    const char *path = Str(p.epsFile);
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES && AskOkCancel(IDS_EPS_OVERWRITE) != 1) return;
    // Written beside the file, which it replaces only when complete.
    SafeSave save;
    if (!BeginSafeSave(&save, path, 0)) {
        ShowSystemError(GetLastError() ? GetLastError() : ERROR_CANNOT_MAKE);
        return;
    }
    std::FILE *out = save.file;
    // Text mode: every line ends with a carriage return and a line feed.
    _setmode(_fileno(out), _O_TEXT);
    HGLOBAL bitmap = p.mode >= 2 ? CaptureGraphDibPlain(graph, true) : nullptr;
    gPrintAbort = 0;
    if (!OpenPrintingDialog(owner, gDocumentTitle[0] ? gDocumentTitle : path)) {
        ShowErrorBox(IDS_CANNOT_PRINT);
        AbandonSafeSave(&save);
        if (bitmap) GlobalFree(bitmap);
        return;
    }
    if (owner) EnableWindow(owner, FALSE);
    EpsPageSetup setup = {p.pixelsPerPoint, p.basicWidth, p.frameWidth, p.rotate, p.totalX, p.totalY,
                          gPageWidthMm10, gPageHeightMm10, p.leftMargin, p.topMargin, p.printWidth, p.printHeight};
    char product[64], version[64], title[255];
    ProductVersion(product, sizeof product, version, sizeof version);
    GetWindowTextA(graph, title, sizeof title);
    time_t now = std::time(nullptr);
    const tm *local = std::localtime(&now);
    EpsHeaderInfo info = {product, version, gIdentifier, title, local->tm_mon + 1, local->tm_mday,
                          local->tm_year + 1900};
    GraphWindowState *saved = static_cast<GraphWindowState *>(std::malloc(sizeof(GraphWindowState)));
    const bool haveCopy = saved != nullptr;
    if (saved) {
        const DcHandle savedDc = gDrawDc;
        gDrawDc = 0;
        BeginEpsJob(saved, setup, out);
        WriteEpsHeader(out, setup, info);
        WriteEpsFrame(setup, g->gridColor);
        if (p.mode == 1) {
            WriteEpsVectors(p.minDistance);
        } else if (p.mode >= 2 && bitmap) {
            const BITMAPINFO *header = static_cast<const BITMAPINFO *>(GlobalLock(bitmap));
            BitmapRows rows;
            if (header && OpenBitmapRows(header, &rows)) {
                EpsBitmapSource source = {header->bmiHeader.biWidth, rows.height, BitmapPixel, &rows, BitmapAbort};
                WriteEpsBitmap(out, ComputeEpsLayout(setup), source);
            }
            if (header) GlobalUnlock(bitmap);
        }
        if (p.includeElements && !gPrintAbort) RedrawGraphContents(0);
        WriteEpsTrailer(out);
        EndEpsJob(*saved);
        std::free(saved);
        gDrawDc = savedDc;
    }
    bool written = false;
    if (haveCopy) {
        SetLastError(0);
        written = CommitSafeSave(&save) != 0;
    } else {
        AbandonSafeSave(&save);
    }
    const DWORD error = GetLastError();
    ClosePrintingDialog(owner);
    if (owner) EnableWindow(owner, TRUE);
    if (bitmap) GlobalFree(bitmap);
    if (!haveCopy) ShowErrorBox(IDS_CANNOT_PRINT);
    else if (!written) ShowSystemError(error ? error : ERROR_WRITE_FAULT);
    if (!written) return;
    // The EPS file goes only when the post program has done its work.
    if (p.postProcess && RunPostProcessor(owner) && p.postDelete) DeleteFileA(path);
}

bool RunPostProcessor(HWND owner) {
    const PrintSettings &p = gPrintSettings;
    char parameters[2080];
    if (!ExpandPostParameters(Str(p.postArguments), Str(p.epsFile), parameters, sizeof parameters)) {
        ShowErrorBox(IDS_POST_COMMAND_TOO_LONG);
        return false;
    }
    // The program's path may hold blanks.
    std::string command = std::string("\"") + Str(p.postProgram) + "\"";
    if (parameters[0]) command += std::string(" ") + parameters;
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ShowErrorBoxFormatted(IDS_POST_PROGRAM_FAILED, Str(p.postProgram));
        return false;
    }
    // The wait keeps the program's windows alive and can be cancelled.
    gPrintAbort = 0;
    OpenPrintingDialog(owner, Str(p.postProgram));
    bool ended = false;
    while (!gPrintAbort) {
        const DWORD r = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, INFINITE, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (gPrintingDialog && IsDialogMessageA(gPrintingDialog, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    ClosePrintingDialog(owner);
    DWORD code = 1;
    if (ended) GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    if (ended && code != 0) ShowErrorBoxFormatted(IDS_POST_PROGRAM_EXIT, static_cast<unsigned long>(code));
    return ended && code == 0;
}

// ---- Print dialog and page preview

namespace {

constexpr char kPageClass[] = "VR_Page";

struct PrintDialogState {
    HWND dialog;
    int top, height, left, width, unit, mode, eps, postProcess, postDelete, preserve;
    int filling;  // the fields are being refilled: their notifications are ours
    bool dragging;
    POINT last;
    RECT paper;
};
PrintDialogState *gDialog;

// The settings the dialog works on while it is open (the preview, the mode
// list and the shown controls follow them): copied in at the start, out on
// OK; the check box that shows one, if any.
const struct {
    int PrintDialogState::*working;
    int32_t PrintSettings::*stored;
    int checkBox;
} kWorkingCopies[] = {
    {&PrintDialogState::top, &PrintSettings::topMargin, 0},
    {&PrintDialogState::height, &PrintSettings::printHeight, 0},
    {&PrintDialogState::left, &PrintSettings::leftMargin, 0},
    {&PrintDialogState::width, &PrintSettings::printWidth, 0},
    {&PrintDialogState::unit, &PrintSettings::unit, 0},
    {&PrintDialogState::mode, &PrintSettings::mode, 0},
    {&PrintDialogState::eps, &PrintSettings::eps, IDC_PRINT_EPS},
    {&PrintDialogState::postProcess, &PrintSettings::postProcess, IDC_PRINT_POST},
    {&PrintDialogState::postDelete, &PrintSettings::postDelete, IDC_PRINT_POST_DELETE},
    {&PrintDialogState::preserve, &PrintSettings::preserveAspect, IDC_PRINT_PRESERVE},
};

// The settings that controls hold until OK: check boxes and whole numbers,
// and the texts, which are stored only for an EPS file.
struct PrintIntControl {
    int id;
    int32_t PrintSettings::*field;
};
const PrintIntControl kCheckBoxes[] = {
    {IDC_PRINT_INVERT, &PrintSettings::invert},
    {IDC_PRINT_INCLUDE, &PrintSettings::includeElements},
    {IDC_PRINT_ROTATE, &PrintSettings::rotate},
};
const PrintIntControl kNumbers[] = {
    {IDC_PRINT_PIXELS, &PrintSettings::pixelsPerPoint},
    {IDC_PRINT_LINE, &PrintSettings::basicWidth},
    {IDC_PRINT_FRAME, &PrintSettings::frameWidth},
};
const struct {
    int id;
    char *PrintSettings::*field;
    int size;
} kTexts[] = {
    {IDC_PRINT_FILE, &PrintSettings::epsFile, 260},
    {IDC_PRINT_POST_PROGRAM, &PrintSettings::postProgram, 260},
    {IDC_PRINT_PARAMETERS, &PrintSettings::postArguments, 520},
};

int ClientWidth() { return gCurrentGraph ? gCurrentGraph->clientMaxX + 1 : 1; }
int ClientHeight() { return gCurrentGraph ? gCurrentGraph->clientMaxY + 1 : 1; }

// Printer pixels to the unit shown and back; horizontal fields use the
// page's width, vertical ones its height.
int ToUnit(int v, bool horizontal, int unit) {
    const int total = horizontal ? gPrintSettings.totalX : gPrintSettings.totalY;
    const int page = horizontal ? gPageWidthMm10 : gPageHeightMm10;
    if (unit == 0) return v;
    const int mm = EpsMulDiv(v, page, total);
    switch (unit) {
    case 2: return EpsMulDiv(mm, 100, 254);
    case 3: return EpsMulDiv(mm, 720, 254);
    case 4: return EpsMulDiv(mm, 72, 254);
    }
    return mm;
}
int FromUnit(int v, bool horizontal, int unit) {
    const int total = horizontal ? gPrintSettings.totalX : gPrintSettings.totalY;
    const int page = horizontal ? gPageWidthMm10 : gPageHeightMm10;
    if (unit == 0) return v;
    int mm = v;
    switch (unit) {
    case 2: mm = EpsMulDiv(v, 254, 100); break;
    case 3: mm = EpsMulDiv(v, 254, 720); break;
    case 4: mm = EpsMulDiv(v, 254, 72); break;
    }
    return EpsMulDiv(mm, total, page);
}

void SetInt(HWND dialog, int id, int value, int except) {
    if (id != except) SetDlgItemInt(dialog, id, static_cast<UINT>(value), TRUE);
}

void FillMargins(PrintDialogState &d, int except) {
    const HWND w = d.dialog;
    const PrintSettings &p = gPrintSettings;
    d.filling++;
    SetInt(w, IDC_PRINT_TOP, ToUnit(d.top, false, d.unit), except);
    SetInt(w, IDC_PRINT_HEIGHT, ToUnit(d.height, false, d.unit), except);
    SetInt(w, IDC_PRINT_BOTTOM, ToUnit(p.totalY - d.top - d.height, false, d.unit), except);
    SetInt(w, IDC_PRINT_LEFT, ToUnit(d.left, true, d.unit), except);
    SetInt(w, IDC_PRINT_WIDTH, ToUnit(d.width, true, d.unit), except);
    SetInt(w, IDC_PRINT_RIGHT, ToUnit(p.totalX - d.left - d.width, true, d.unit), except);
    d.filling--;
}

void RepaintPreview(PrintDialogState &d) {
    if (!d.dragging) InvalidateRect(GetDlgItem(d.dialog, IDC_PRINT_PAGE), nullptr, TRUE);
}

void HeightFollowsWidth(PrintDialogState &d) { d.height = EpsMulDiv(d.width, ClientHeight(), ClientWidth()); }
void WidthFollowsHeight(PrintDialogState &d) { d.width = EpsMulDiv(d.height, ClientWidth(), ClientHeight()); }

void ShowControls(HWND w, const int *ids, int count, bool show) {
    for (int i = 0; i < count; ++i) ShowWindow(GetDlgItem(w, ids[i]), show ? SW_SHOW : SW_HIDE);
}

void ApplyMode(PrintDialogState &d, int mode) {
    const HWND w = d.dialog;
    d.mode = mode;
    const bool bitmap = mode >= 2, fixed = mode >= 3;
    if (fixed) {
        d.width = kModeFactor[mode] * ClientWidth();
        d.height = kModeFactor[mode] * ClientHeight();
    } else if (d.preserve) {
        HeightFollowsWidth(d);
    }
    EnableWindow(GetDlgItem(w, IDC_PRINT_HEIGHT), !fixed);
    EnableWindow(GetDlgItem(w, IDC_PRINT_WIDTH), !fixed);
    EnableWindow(GetDlgItem(w, IDC_PRINT_INVERT), bitmap);
    EnableWindow(GetDlgItem(w, IDC_PRINT_PRESERVE), !fixed);
    const bool distance = !bitmap && d.eps;
    EnableWindow(GetDlgItem(w, IDC_PRINT_DISTANCE), distance);
    EnableWindow(GetDlgItem(w, IDC_PRINT_DISTANCE_LABEL), distance);
    EnableWindow(GetDlgItem(w, IDC_PRINT_BOTTOM), FALSE);
    EnableWindow(GetDlgItem(w, IDC_PRINT_RIGHT), FALSE);
    FillMargins(d, 0);
    RepaintPreview(d);
}

void RebuildModeList(PrintDialogState &d) {
    const HWND combo = GetDlgItem(d.dialog, IDC_PRINT_MODE);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    int selected = -1;
    for (int i = 0; i < gAvailableCount; ++i) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text(kModeNames[gAvailableModes[i]])));
        if (gAvailableModes[i] == d.mode) selected = i;
    }
    if (d.mode == 0 && !gPrintSettingsOwn) {
        // A window without settings of its own: every mode is applied in
        // turn and the last one stays.
        for (int i = 0; i < gAvailableCount; ++i) {
            SendMessageA(combo, CB_SETCURSEL, i, 0);
            ApplyMode(d, gAvailableModes[i]);
        }
        return;
    }
    if (selected < 0) selected = 0;
    SendMessageA(combo, CB_SETCURSEL, selected, 0);
    ApplyMode(d, gAvailableModes[selected]);
}

void UpdateEpsControls(PrintDialogState &d) {
    const HWND w = d.dialog;
    static const int kEpsOnly[] = {IDC_PRINT_PIXELS_LABEL, IDC_PRINT_PIXELS,      IDC_PRINT_FILE,
                                   IDC_PRINT_BROWSE,       IDC_PRINT_POST,        IDC_PRINT_POST_PROGRAM,
                                   IDC_PRINT_PARAMETERS_LABEL, IDC_PRINT_PARAMETERS, IDC_PRINT_POST_DELETE};
    static const int kPrinterOnly[] = {IDC_PRINT_PORT, IDC_PRINT_SETUP};
    const bool eps = d.eps != 0;
    ShowControls(w, kEpsOnly, sizeof kEpsOnly / sizeof *kEpsOnly, eps);
    ShowControls(w, kPrinterOnly, 2, !eps);
    EnableWindow(GetDlgItem(w, IDC_PRINT_SETUP), !eps);
    EnableWindow(GetDlgItem(w, IDC_PRINT_ROTATE), eps);
    const bool post = d.postProcess != 0;
    EnableWindow(GetDlgItem(w, IDC_PRINT_POST_PROGRAM), post);
    EnableWindow(GetDlgItem(w, IDC_PRINT_PARAMETERS), post);
    EnableWindow(GetDlgItem(w, IDC_PRINT_PARAMETERS_LABEL), post);
    EnableWindow(GetDlgItem(w, IDC_PRINT_POST_DELETE), post);
    RebuildModeList(d);
}

int ReadInt(HWND w, int id) {
    BOOL ok = FALSE;
    const int v = static_cast<int>(GetDlgItemInt(w, id, &ok, TRUE));
    return ok ? v : 0;
}

void OnMarginTyped(PrintDialogState &d, int id) {
    const int v = ReadInt(d.dialog, id);
    const bool keep = d.preserve && d.mode <= 2;
    switch (id) {
    case IDC_PRINT_TOP: d.top = FromUnit(v, false, d.unit); break;
    case IDC_PRINT_LEFT: d.left = FromUnit(v, true, d.unit); break;
    case IDC_PRINT_HEIGHT:
        d.height = FromUnit(v, false, d.unit);
        if (keep) WidthFollowsHeight(d);
        break;
    case IDC_PRINT_WIDTH:
        d.width = FromUnit(v, true, d.unit);
        if (keep) HeightFollowsWidth(d);
        break;
    }
    FillMargins(d, id);
    RepaintPreview(d);
}

void BrowseEpsFile(HWND w) {
    char path[kFileNameSize] = {};
    GetDlgItemTextA(w, IDC_PRINT_FILE, path, sizeof path);
    if (AskExportFileName(w, path)) SetDlgItemTextA(w, IDC_PRINT_FILE, path);
}

bool ReadText(HWND w, int id, char *PrintSettings::*field, int size) {
    std::vector<char> text(size);
    GetDlgItemTextA(w, id, text.data(), size);
    SetString(field, gPrintSettings, text.data());
    return true;
}

void StoreDialog(PrintDialogState &d) {
    const HWND w = d.dialog;
    PrintSettings &p = gPrintSettings;
    for (const auto &c : kWorkingCopies) p.*c.stored = d.*c.working;
    if (d.eps)
        for (const auto &t : kTexts) ReadText(w, t.id, t.field, t.size);
    for (const PrintIntControl &c : kCheckBoxes) p.*c.field = IsDlgButtonChecked(w, c.id) == BST_CHECKED;
    for (const PrintIntControl &c : kNumbers) p.*c.field = ReadInt(w, c.id);
    char number[64];
    GetDlgItemTextA(w, IDC_PRINT_DISTANCE, number, sizeof number);
    if (std::sscanf(number, "%lg", &p.minDistance) != 1) p.minDistance = 0;
    ClampSettings(p);
    StorePrintSettings();
}

void CheckBox(HWND w, int id, int on) { CheckDlgButton(w, id, on ? BST_CHECKED : BST_UNCHECKED); }

void InitDialog(PrintDialogState &d) {
    const HWND w = d.dialog;
    const PrintSettings &p = gPrintSettings;
    CenterDialogInFrame(w);
    SetDlgItemTextA(w, IDC_PRINT_DEVICE, gDeviceName);
    SetDlgItemTextA(w, IDC_PRINT_PORT, gPortName);
    for (const auto &c : kWorkingCopies) d.*c.working = p.*c.stored;
    d.filling++;
    for (const auto &c : kWorkingCopies)
        if (c.checkBox) CheckBox(w, c.checkBox, d.*c.working);
    for (const PrintIntControl &c : kCheckBoxes) CheckBox(w, c.id, p.*c.field);
    for (const PrintIntControl &c : kNumbers) SetDlgItemInt(w, c.id, p.*c.field, TRUE);
    char number[64];
    std::snprintf(number, sizeof number, "%.15lg", p.minDistance);
    SetDlgItemTextA(w, IDC_PRINT_DISTANCE, number);
    for (const auto &t : kTexts) SetDlgItemTextA(w, t.id, Str(p.*t.field));
    const HWND units = GetDlgItem(w, IDC_PRINT_UNIT);
    for (int id : kUnitNames) SendMessageA(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text(id)));
    SendMessageA(units, CB_SETCURSEL, d.unit, 0);
    d.filling--;
    UpdateEpsControls(d);
    EnableAutoComplete(w, IDC_PRINT_FILE);
    EnableAutoComplete(w, IDC_PRINT_POST_PROGRAM);
}

INT_PTR CALLBACK PrintDlgProc(HWND w, UINT message, WPARAM wParam, LPARAM) {
    PrintDialogState *d = gDialog;
    switch (message) {
    case WM_INITDIALOG:
        d->dialog = w;
        InitDialog(*d);
        return TRUE;
    case WM_HELP:
        ShowHelpTopic(2200);
        return TRUE;
    case WM_CLOSE:
        EndDialog(w, 0);
        return TRUE;
    case WM_COMMAND: {
        if (!d || !d->dialog) return FALSE;
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        switch (id) {
        case IDOK:
            StoreDialog(*d);
            EndDialog(w, 1);
            return TRUE;
        case IDCANCEL: EndDialog(w, 0); return TRUE;
        case IDC_PRINT_SETUP:
            gPrinterSetupRequested = 1;
            EndDialog(w, 0);
            return TRUE;
        case IDC_PRINT_HELP: ShowHelpTopic(2200); return TRUE;
        case IDC_PRINT_BROWSE: BrowseEpsFile(w); return TRUE;
        case IDC_PRINT_EPS:
            d->eps = IsDlgButtonChecked(w, id) == BST_CHECKED;
            UpdateEpsControls(*d);
            return TRUE;
        case IDC_PRINT_POST:
            d->postProcess = IsDlgButtonChecked(w, id) == BST_CHECKED;
            UpdateEpsControls(*d);
            return TRUE;
        case IDC_PRINT_POST_DELETE: d->postDelete = IsDlgButtonChecked(w, id) == BST_CHECKED; return TRUE;
        case IDC_PRINT_PRESERVE:
            d->preserve = IsDlgButtonChecked(w, id) == BST_CHECKED;
            if (d->preserve && d->mode <= 2) {
                HeightFollowsWidth(*d);
                FillMargins(*d, 0);
                RepaintPreview(*d);
            }
            return TRUE;
        case IDC_PRINT_INCLUDE: RepaintPreview(*d); return TRUE;
        case IDC_PRINT_MODE:
            if (code == CBN_SELCHANGE) {
                const int i = static_cast<int>(SendDlgItemMessageA(w, id, CB_GETCURSEL, 0, 0));
                if (i >= 0 && i < gAvailableCount) ApplyMode(*d, gAvailableModes[i]);
            }
            return TRUE;
        case IDC_PRINT_UNIT:
            if (code == CBN_SELCHANGE) {
                d->unit = static_cast<int>(SendDlgItemMessageA(w, id, CB_GETCURSEL, 0, 0));
                if (d->unit < 0 || d->unit > 4) d->unit = 0;
                FillMargins(*d, 0);
            }
            return TRUE;
        case IDC_PRINT_FRAME:
            if (code == EN_CHANGE && !d->filling) RepaintPreview(*d);
            return TRUE;
        case IDC_PRINT_TOP:
        case IDC_PRINT_HEIGHT:
        case IDC_PRINT_LEFT:
        case IDC_PRINT_WIDTH:
            if (code == EN_CHANGE && !d->filling) OnMarginTyped(*d, id);
            return TRUE;
        }
        return FALSE;
    }
    }
    return FALSE;
}

// The print area in preview pixels.
RECT PreviewArea(const PrintDialogState &d) {
    const PrintSettings &p = gPrintSettings;
    const RECT &r = d.paper;
    const int pw = r.right - r.left, ph = r.bottom - r.top;
    const int tx = p.totalX > 0 ? p.totalX : 1, ty = p.totalY > 0 ? p.totalY : 1;
    RECT a = {r.left + EpsMulDiv(d.left, pw, tx), r.top + EpsMulDiv(d.top, ph, ty),
              r.left + EpsMulDiv(d.left + d.width, pw, tx), r.top + EpsMulDiv(d.top + d.height, ph, ty)};
    return a;
}

void PaintPreview(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (PrintDialogState *d = gDialog) {
        const RECT &paper = d->paper;
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
        Rectangle(dc, paper.left, paper.top, paper.right, paper.bottom);
        HRGN clip = CreateRectRgn(paper.left + 1, paper.top + 1, paper.right - 1, paper.bottom - 1);
        SelectClipRgn(dc, clip);
        DeleteObject(clip);
        const RECT a = PreviewArea(*d);
        const bool frame = ReadInt(d->dialog, IDC_PRINT_FRAME) != 0;
        SelectObject(dc, GetStockObject(LTGRAY_BRUSH));
        SelectObject(dc, GetStockObject(frame ? BLACK_PEN : NULL_PEN));
        Rectangle(dc, a.left, a.top, a.right + (frame ? 0 : 1), a.bottom + (frame ? 0 : 1));
        SelectObject(dc, GetStockObject(BLACK_PEN));
        if (IsDlgButtonChecked(d->dialog, IDC_PRINT_INCLUDE) == BST_CHECKED) {
            const int cx = (a.left + a.right) / 2, cy = (a.top + a.bottom) / 2;
            MoveToEx(dc, a.left, cy, nullptr);
            LineTo(dc, a.right, cy);
            MoveToEx(dc, cx, a.top, nullptr);
            LineTo(dc, cx, a.bottom);
        }
        if (SendDlgItemMessageA(d->dialog, IDC_PRINT_MODE, CB_GETCURSEL, 0, 0) > 0) {
            SelectObject(dc, GetStockObject(NULL_BRUSH));
            Ellipse(dc, a.left, a.top, a.right, a.bottom);
        }
        SelectClipRgn(dc, nullptr);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
    }
    EndPaint(window, &ps);
}

void DragPreview(HWND window, PrintDialogState &d, POINT at, WPARAM keys) {
    const PrintSettings &p = gPrintSettings;
    const int pw = std::max<int>(1, d.paper.right - d.paper.left), ph = std::max<int>(1, d.paper.bottom - d.paper.top);
    const int dx = EpsMulDiv(at.x - d.last.x, p.totalX, pw), dy = EpsMulDiv(at.y - d.last.y, p.totalY, ph);
    const RECT before = PreviewArea(d);
    if (keys & (MK_SHIFT | MK_CONTROL)) {
        if (d.mode > 2) return;  // the bitmap modes keep their size
        const int cx = (before.left + before.right) / 2, cy = (before.top + before.bottom) / 2;
        if (at.x < cx) {
            d.left += dx;
            d.width -= dx;
        } else {
            d.width += dx;
        }
        if (at.y < cy) {
            d.top += dy;
            d.height -= dy;
        } else {
            d.height += dy;
        }
        if (d.preserve) {
            if (dx) HeightFollowsWidth(d);
            else WidthFollowsHeight(d);
        }
    } else {
        d.left += dx;
        d.top += dy;
    }
    // What the conversion rounded away stays for the next move.
    d.last.x += EpsMulDiv(dx, pw, p.totalX > 0 ? p.totalX : 1);
    d.last.y += EpsMulDiv(dy, ph, p.totalY > 0 ? p.totalY : 1);
    FillMargins(d, 0);
    const RECT after = PreviewArea(d);
    RECT both;
    UnionRect(&both, &before, &after);
    InflateRect(&both, 2, 2);
    InvalidateRect(window, &both, TRUE);
    UpdateWindow(window);
}

LRESULT CALLBACK PagePreviewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PrintDialogState *d = gDialog;
    switch (message) {
    case WM_CREATE:
        if (d) {
            RECT r;
            GetClientRect(window, &r);
            const int pw = gPageWidthMm10 > 0 ? gPageWidthMm10 : 1, ph = gPageHeightMm10 > 0 ? gPageHeightMm10 : 1;
            const int cw = r.right, ch = r.bottom;
            if (pw > ph) {
                const int cut = EpsMulDiv(ch, pw - ph, 2 * pw);
                r.top += cut;
                r.bottom -= cut;
            } else {
                const int cut = EpsMulDiv(cw, ph - pw, 2 * ph);
                r.left += cut;
                r.right -= cut;
            }
            d->paper = r;
        }
        return 0;
    case WM_PAINT: PaintPreview(window); return 0;
    case WM_LBUTTONDOWN:
        if (d) {
            const POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            const RECT a = PreviewArea(*d);
            if (PtInRect(&a, at)) {
                SetCapture(window);
                d->dragging = true;
                d->last = at;
            }
        }
        return 0;
    case WM_MOUSEMOVE:
        if (d && d->dragging && (wParam & MK_LBUTTON)) {
            const POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            DragPreview(window, *d, at, wParam);
        }
        return 0;
    case WM_LBUTTONUP:
        if (d && d->dragging) {
            d->dragging = false;
            ReleaseCapture();
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int RunPrintDialog(HWND owner) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA c = {};
    if (!GetClassInfoA(instance, kPageClass, &c)) {
        c.lpfnWndProc = PagePreviewWndProc;
        c.hInstance = instance;
        c.hCursor = LoadCursor(nullptr, IDC_ARROW);
        c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        c.lpszClassName = kPageClass;
        RegisterClassA(&c);
    }
    if (gAvailableCount == 0) BuildAvailableModes();
    PrintDialogState state = {};
    PrintDialogState *outer = gDialog;
    gDialog = &state;
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PRINT), owner, PrintDlgProc, 0);
    gDialog = outer;
    return result == 1;
}

// ---- Text

namespace {

struct TextLine {
    std::string text;
};

// The lines of the control in the range: all, or the selection.
std::vector<std::string> ControlLines(HWND control, bool selection) {
    std::vector<std::string> lines;
    const int count = static_cast<int>(SendMessageA(control, EM_GETLINECOUNT, 0, 0));
    int first = 0, last = count - 1, startColumn = 0, endColumn = -1;
    if (selection) {
        DWORD start = 0, end = 0;
        SendMessageA(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        first = static_cast<int>(SendMessageA(control, EM_LINEFROMCHAR, start, 0));
        last = static_cast<int>(SendMessageA(control, EM_LINEFROMCHAR, end, 0));
        startColumn = static_cast<int>(start - SendMessageA(control, EM_LINEINDEX, first, 0));
        endColumn = static_cast<int>(end - SendMessageA(control, EM_LINEINDEX, last, 0));
        // A selection that ends at the start of a line leaves that line out.
        if (endColumn == 0 && last > first) {
            --last;
            endColumn = -1;
        }
    }
    constexpr int kLineMax = 20480;
    std::vector<char> buffer(kLineMax + 1);
    for (int i = first; i <= last; ++i) {
        *reinterpret_cast<WORD *>(buffer.data()) = kLineMax;
        int n = static_cast<int>(SendMessageA(control, EM_GETLINE, i, reinterpret_cast<LPARAM>(buffer.data())));
        if (n < 0) n = 0;
        std::string line(buffer.data(), n);
        if (!line.empty() && line.back() == '\n') line.pop_back();
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (i == last && endColumn >= 0 && static_cast<size_t>(endColumn) < line.size()) line.resize(endColumn);
        if (i == first && startColumn > 0) line.erase(0, std::min<size_t>(startColumn, line.size()));
        lines.push_back(line);
    }
    return lines;
}

int LineRows(const std::string &line, int columns) {
    const int n = static_cast<int>(line.size());
    return n <= columns ? 1 : (n + columns - 1) / columns;
}

void PrintHeader(HDC dc, int cw, int lh, int pageWidth, const char *stamp, int page, int pages, const char *title) {
    const int left = 7 * cw, right = pageWidth - 7 * cw;
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    TextOutA(dc, left, 3 * lh, stamp, static_cast<int>(std::strlen(stamp)));
    char number[40];
    std::snprintf(number, sizeof number, "%d of %d", page, pages);
    SetTextAlign(dc, TA_RIGHT | TA_TOP);
    TextOutA(dc, right, 3 * lh, number, static_cast<int>(std::strlen(number)));
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    TextOutA(dc, (left + right) / 2, 4 * lh, title, static_cast<int>(std::strlen(title)));
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    MoveToEx(dc, left, 5 * lh, nullptr);
    LineTo(dc, right, 5 * lh);
}

void PrintTextPages(HDC dc, HWND control, bool selection) {
    LOGFONTA font = {};
    font.lfHeight = -MulDiv(10, GetDeviceCaps(dc, LOGPIXELSY), 72);
    font.lfWeight = FW_NORMAL;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    font.lfCharSet = ANSI_CHARSET;
    font.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    HFONT handle = CreateFontIndirectA(&font);
    HGDIOBJ oldFont = SelectObject(dc, handle);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    const int lh = std::max<int>(1, tm.tmHeight + tm.tmExternalLeading);
    const int cw = std::max<int>(1, tm.tmAveCharWidth);
    const int pageWidth = GetDeviceCaps(dc, HORZRES), pageHeight = GetDeviceCaps(dc, VERTRES);
    const int rows = std::max(1, pageHeight / lh - 9);
    const int columns = std::max(1, (pageWidth - 14 * cw) / cw);
    const std::vector<std::string> lines = ControlLines(control, selection);
    int total = 0;
    for (const std::string &l : lines) total += LineRows(l, columns);
    const int pages = std::max(1, (total + rows - 1) / rows);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%d-%02d-%02dT%02d:%02d:%02d", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    int page = 1, row = 0;
    PrintHeader(dc, cw, lh, pageWidth, stamp, page, pages, gDocumentTitle);
    for (const std::string &l : lines) {
        if (gPrintAbort) break;
        const int n = LineRows(l, columns);
        bool stop = false;
        for (int k = 0; k < n; ++k) {
            if (row == rows) {
                if (EndPage(dc) <= 0 || gPrintAbort) {
                    stop = true;
                    break;
                }
                StartPage(dc);
                SelectObject(dc, handle);
                row = 0;
                PrintHeader(dc, cw, lh, pageWidth, stamp, ++page, pages, gDocumentTitle);
            }
            const size_t from = static_cast<size_t>(k) * columns;
            const std::string piece = l.substr(from, columns);
            const int y = (row + 7) * lh;
            if (k > 0) TextOutA(dc, 5 * cw, y, "+", 1);
            TextOutA(dc, 7 * cw, y, piece.c_str(), static_cast<int>(piece.size()));
            ++row;
        }
        if (stop) break;
    }
    SelectObject(dc, oldFont);
    DeleteObject(handle);
}

bool HasText(HWND control) {
    return SendMessageA(control, EM_GETLINECOUNT, 0, 0) > 0 && GetWindowTextLengthA(control) > 0;
}

}  // namespace

void PrintEditText(HWND owner, HWND control, const char *title) {
    std::snprintf(gDocumentTitle, sizeof gDocumentTitle, "%s", title ? title : "");
    DWORD start = 0, end = 0;
    SendMessageA(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = owner;
    pd.hDevMode = gDevMode;
    pd.hDevNames = gDevNames;
    pd.Flags = PD_RETURNDC | PD_NOPAGENUMS | (start != end ? 0 : PD_NOSELECTION);
    if (gPrintWithoutDialog) {
        // The printer "/pt" named, else the default one as the system's
        // profile names it.
        const NamedPrinter &named = gPrintWithoutDialogPrinter;
        if (named.device && *named.device) {
            pd.hDC = CreateDCA(named.driver, named.device, named.port, nullptr);
        } else {
            char device[128], driver[128], port[128];
            ReadDefaultPrinter(device, driver, port);
            pd.hDC = device[0] ? CreateDCA(driver, device, nullptr, nullptr) : nullptr;
        }
        pd.Flags &= ~PD_SELECTION;
    } else if (!PrintDlgA(&pd)) {
        if (CommDlgExtendedError()) ShowErrorBox(IDS_INVALID_PRINTER);
        return;
    }
    if (!gPrintWithoutDialog) {
        gDevMode = pd.hDevMode;
        gDevNames = pd.hDevNames;
    }
    HDC dc = pd.hDC;
    if (!dc) {
        ShowErrorBox(IDS_INVALID_PRINTER);
        return;
    }
    gPrintAbort = 0;
    if (!OpenPrintingDialog(owner, gDocumentTitle)) {
        ShowErrorBox(IDS_CANNOT_PRINT);
        DeleteDC(dc);
        return;
    }
    if (StartPrintJob(owner, dc)) {
        StartPage(dc);
        PrintTextPages(dc, control, (pd.Flags & PD_SELECTION) != 0);
        EndPrintJob(owner, dc);
    } else {
        ClosePrintingDialog(owner);
    }
    if (owner) EnableWindow(owner, TRUE);
    DeleteDC(dc);
}

void PrintTextWindow(HWND owner, HWND textWindow, HWND control) {
    if (!control || !HasText(control)) {
        ShowErrorBox(IDS_NO_LINE_TO_PRINT);
    } else {
        char title[80];
        GetWindowTextA(textWindow, title, sizeof title);
        PrintEditText(owner, control, title);
    }
    FocusActiveChild();
}

void PrintEditControl(HWND control) {
    if (!control || !HasText(control)) {
        ShowErrorBox(IDS_NO_LINE_TO_PRINT);
        return;
    }
    char title[255];
    GetWindowTextA(GetParent(control), title, sizeof title);
    PrintEditText(GetParent(control), control, title);
    SetFocus(control);
}
