// The program's own presentation: its version block, the splash picture,
// the about box with its animated orbits, the tip of the day and the
// launcher of the updater.
#include <windows.h>
#include <shellapi.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <ctime>

#include "app.h"
#include "memory.h"
#include "messages.h"
#include "msgbox_win32.h"
#include "problem_file.h"
#include "resource_ids.h"
#include "settings.h"
#include "settings_files.h"
#include "string_ids.h"

char gProductName[64];
char gProductVersion[32];
char gLegalCopyright[128];
int gProgramVersionNumber;

namespace {

HWND gSplashWindow;
int gSplashClosed;
int gTipsOpen;
int gRevealState = -1;
UINT_PTR gRevealTimer;
COLORREF gRevealColor;
HWND gAboutControl;
int gRevealBusy;
HFONT gDialogFonts[2];
HCURSOR gLinkCursor;
WNDPROC gPreviousLinkProc;
char *gTipBuffer;
int gTipCount;
HBRUSH gTipBrush;

constexpr int kAboutHelpTopic = 4001;
constexpr int kLicenseHelpTopic = 6379;
constexpr int kTipsHelpTopic = 2840;
constexpr UINT kRevealMs = 50;
constexpr double kPi = 3.14159265358979323846;

const COLORREF kRevealColors[14] = {
    RGB(255, 255, 255), RGB(0, 0, 0),     RGB(0, 0, 255),     RGB(0, 255, 0),     RGB(0, 255, 255),
    RGB(255, 0, 0),     RGB(255, 0, 255), RGB(255, 255, 0),   RGB(0, 0, 128),     RGB(0, 128, 0),
    RGB(128, 0, 0),     RGB(128, 128, 128), RGB(160, 160, 164), RGB(192, 192, 192),
};

void CopyVersionString(void *block, const char *translation, const char *name, char *out, size_t size) {
    char key[64];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%s\\%s", translation, name);
    char *value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block, key, reinterpret_cast<void **>(&value), &length) && value && length)
        std::snprintf(out, size, "%s", value);
}

void DrawBitmapStretched(HWND window, int id) {
    HBITMAP bitmap = LoadBitmapA(gInstance, MAKEINTRESOURCEA(id));
    if (!bitmap) return;
    BITMAP info;
    GetObjectA(bitmap, sizeof info, &info);
    RECT r;
    GetClientRect(window, &r);
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, r.right, r.bottom, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(window, dc);
    DeleteObject(bitmap);
}

// ---- The reveal effects: 512 points of one orbit of a plane map.
int Cut(double v) { return static_cast<int>(v); }

double Wrap(double x) {
    double r = std::fmod(x + kPi, 2 * kPi);
    return r - kPi;
}

double Sign(double v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

void RevealEffect(HDC dc, int effect) {
    static const double spans[6][2] = {
        {0, 0}, {19.79898987322333, 7}, {2 * kPi, kPi}, {20, 10}, {1, 0}, {30, 15},
    };
    const double r1 = std::rand(), r2 = std::rand();
    double u = r1 * spans[effect][0] / 32767 - spans[effect][1];
    double v = r2 * spans[effect][0] / 32767 - spans[effect][1];
    for (int i = 0; i < 512; ++i) {
        double x = 0, y = 0, nu = u, nv = v;
        switch (effect) {
        case 1:
            x = (u - v) * 103.43962056214639;
            y = (u + v) * 103.43962056214639 - 114.89253133128386;
            nu = 0.5 * std::cos(u) + 1 - 0.99 * v;
            nv = u;
            break;
        case 2:
            x = u * 325.9493234522017;
            y = v * 325.9493234522017;
            nu = Wrap(u - 0.9 * std::sin(v));
            nv = Wrap(v + u - 0.9 * std::sin(v));
            break;
        case 3:
            x = (u + v + 2) * 102;
            y = (u - v) * 102;
            nu = v - Sign(u) * std::sqrt(std::fabs(0.5 * u - 0.1));
            nv = -1.57 - u;
            break;
        case 4:
            x = (u - 0.5) * 2048;
            y = (v - 0.5) * 2048;
            nu = std::fmod(2 * u + v, 1.0);
            nv = std::fmod(u + v, 1.0);
            break;
        case 5:
            x = (u - v) * 68;
            y = (5 - u - v) * 68;
            nu = std::fabs(u) + 1 - v;
            nv = u;
            break;
        }
        SetPixel(dc, Cut(x), Cut(y), gRevealColor);
        u = nu;
        v = nv;
    }
}

void CALLBACK RevealTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    if (gRevealBusy || !gAboutControl || gRevealState < 1) return;
    gRevealBusy = 1;
    HDC dc = GetDC(gAboutControl);
    RECT r;
    GetClientRect(gAboutControl, &r);
    InflateRect(&r, -1, -1);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1024, 1024, nullptr);
    SetViewportExtEx(dc, w / 2, -h / 2, nullptr);
    SetViewportOrgEx(dc, w / 2, h / 2, nullptr);
    gRevealColor = kRevealColors[std::rand() % 14];
    RevealEffect(dc, gRevealState);
    ReleaseDC(gAboutControl, dc);
    gRevealBusy = 0;
}

void StopRevealTimer() {
    if (gRevealTimer) KillTimer(nullptr, gRevealTimer);
    gRevealTimer = 0;
}

void StartRevealAnimation() {
    gRevealState = gRevealState == -1 ? std::rand() % 6 : gRevealState + 1;
    if (gRevealState >= 6) {
        gRevealState = 0;
        StopRevealTimer();
    }
    if (gRevealState == 0 || gRevealTimer) return;
    gRevealTimer = SetTimer(nullptr, 0, kRevealMs, RevealTimerProc);
    if (!gRevealTimer && gAboutControl) DrawBitmapStretched(gAboutControl, IDB_ABOUT);
}

HFONT MakeFont(const char *face, int height, int weight, bool underline, BYTE family) {
    return CreateFontA(height, 0, 0, 0, weight, FALSE, underline, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH | family, face);
}

void DeleteDialogFonts() {
    for (HFONT &font : gDialogFonts) {
        if (font) DeleteObject(font);
        font = nullptr;
    }
}

LRESULT CALLBACK LinkStaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETCURSOR) {
        if (!gLinkCursor) gLinkCursor = LoadCursorA(gInstance, MAKEINTRESOURCEA(IDCUR_LINK));
        SetCursor(gLinkCursor);
        return TRUE;
    }
    return CallWindowProcA(gPreviousLinkProc, window, message, wParam, lParam);
}

void OpenLink(HWND dialog, int id, bool mail) {
    char text[kPathSize] = "";
    char target[kPathSize];
    GetDlgItemTextA(dialog, id, text, sizeof text);
    std::snprintf(target, sizeof target, "%s%s", mail ? "mailto:" : "", text);
    ShellExecuteA(dialog, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

// A link shows whole: its control grows to the width of its text in the
// link font, and the box with it.
void FitLinkToText(HWND dialog, int id) {
    HWND link = GetDlgItem(dialog, id);
    char text[kPathSize] = "";
    GetWindowTextA(link, text, sizeof text);
    HDC dc = GetDC(link);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0)));
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    SelectObject(dc, old);
    ReleaseDC(link, dc);
    RECT r;
    GetWindowRect(link, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
    const int width = size.cx + 2;
    if (width <= r.right - r.left) return;
    SetWindowPos(link, nullptr, 0, 0, width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client, outer;
    GetClientRect(dialog, &client);
    const int margin = 8;
    const int missing = r.left + width + margin - client.right;
    if (missing <= 0) return;
    GetWindowRect(dialog, &outer);
    SetWindowPos(dialog, nullptr, 0, 0, outer.right - outer.left + missing, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void InitAbout(HWND dialog) {
    gDialogFonts[0] = MakeFont("Arial", 24, FW_BOLD, false, FF_SWISS);
    gDialogFonts[1] = MakeFont("Helv", 12, FW_NORMAL, true, FF_ROMAN);
    SendDlgItemMessageA(dialog, IDC_ABOUT_PRODUCT, WM_SETFONT, reinterpret_cast<WPARAM>(gDialogFonts[0]), 0);
    for (int id : {IDC_ABOUT_WEB, IDC_ABOUT_MAIL}) {
        HWND link = GetDlgItem(dialog, id);
        SendMessageA(link, WM_SETFONT, reinterpret_cast<WPARAM>(gDialogFonts[1]), 0);
        gPreviousLinkProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(link, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LinkStaticWndProc)));
        FitLinkToText(dialog, id);
    }
    CenterWindowOnScreen(dialog);
    SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, gProductVersion);
    gAboutControl = GetDlgItem(dialog, IDC_ABOUT_PICTURE);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    StartRevealAnimation();
}

// ---- Tips.
void ShowNextTip(HWND dialog) {
    CheckDlgButton(dialog, IDC_TIP_SHOW, gTip ? BST_CHECKED : BST_UNCHECKED);
    if (!gTip || !gTipBuffer) return;
    if (gTip > gTipCount) gTip = 1;
    const char *tip = gTipBuffer;
    for (int i = 1; i < gTip; ++i) tip += std::strlen(tip) + 1;
    SetDlgItemTextA(dialog, IDC_TIP_TEXT, tip);
    ++gTip;
}

void LoadTips(HWND dialog) {
    gTipsOpen = 1;
    HRSRC resource = FindResourceA(gInstance, MAKEINTRESOURCEA(IDR_TIPS), MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = resource ? LoadResource(gInstance, resource) : nullptr;
    const DWORD size = resource ? SizeofResource(gInstance, resource) : 0;
    const char *data = loaded ? static_cast<const char *>(LockResource(loaded)) : nullptr;
    gTipCount = 0;
    if (data && (gTipBuffer = static_cast<char *>(AllocZeroed(size + 1))) != nullptr) {
        std::memcpy(gTipBuffer, data, size);
        gTipCount = 1;
        char *out = gTipBuffer;
        for (const char *in = gTipBuffer; *in;) {
            if (std::strncmp(in, "\r\n\r\n", 4) == 0) {
                *out++ = 0;
                in += 4;
                ++gTipCount;
            } else {
                *out++ = *in++;
            }
        }
        *out = 0;
    }
    ShowNextTip(dialog);
}

void SaveTipSetting(HWND dialog) {
    gTipsOpen = 0;
    FreeAndNull(gTipBuffer);
    if (IsDlgButtonChecked(dialog, IDC_TIP_SHOW) != BST_CHECKED) gTip = 0;
    WriteOptionInt(IDS_KEY_TIP, gTip);
}

HBRUSH TipStaticBrush(HWND dialog, HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    if (id == IDC_TIP_SHOW) return nullptr;
    SetBkMode(dc, TRANSPARENT);
    if (gTipBrush) DeleteObject(gTipBrush);
    gTipBrush = nullptr;
    if (id == IDC_TIP_HEADING) gTipBrush = CreateSolidBrush(RGB(255, 255, 224));
    else if (id == IDC_TIP_PANEL || id == IDC_TIP_TEXT) gTipBrush = CreateSolidBrush(RGB(255, 255, 255));
    (void)dialog;
    return gTipBrush ? gTipBrush : static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
}

}  // namespace

void ReadVersionInfo() {
    char path[MAX_PATH];
    if (!GetModuleFileNameA(nullptr, path, sizeof path)) return;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (!size) return;
    void *block = AllocZeroed(size);
    if (!block) return;
    if (GetFileVersionInfoA(path, 0, size, block)) {
        WORD *pair = nullptr;
        UINT length = 0;
        if (VerQueryValueA(block, "\\VarFileInfo\\Translation", reinterpret_cast<void **>(&pair), &length) && pair &&
            length >= 4) {
            char translation[16];
            std::snprintf(translation, sizeof translation, "%04X%04X", pair[0], pair[1]);
            CopyVersionString(block, translation, "ProductName", gProductName, sizeof gProductName);
            CopyVersionString(block, translation, "ProductVersion", gProductVersion, sizeof gProductVersion);
            CopyVersionString(block, translation, "LegalCopyright", gLegalCopyright, sizeof gLegalCopyright);
        }
        double version = 0;
        if (std::sscanf(gProductVersion, "%lg", &version) == 1) {
            gProgramVersionNumber = static_cast<int>(std::lround(version * 100));
            gProgramVersion = gProgramVersionNumber;
        }
    }
    FreeAndNull(block);
}

void CenterWindowOnScreen(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0,
                 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowSplashWindow(HWND window) {
    if (!window) {
        const int w = 256, h = 128;
        gSplashWindow = CreateWindowExA(WS_EX_TOOLWINDOW, "VR_Bitmap", "", WS_POPUP | WS_BORDER,
                                        (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2,
                                        w, h, nullptr, nullptr, gInstance, nullptr);
        if (!gSplashWindow) return;
        ShowWindow(gSplashWindow, SW_SHOWNORMAL);
        UpdateWindow(gSplashWindow);
        window = gSplashWindow;
    }
    DrawBitmapStretched(window, gSplashClosed ? IDB_ABOUT : IDB_SPLASH);
}

void CloseSplashWindow() {
    if (gSplashClosed) return;
    gSplashClosed = 1;
    if (gSplashWindow) DestroyWindow(gSplashWindow);
    gSplashWindow = nullptr;
}

LRESULT CALLBACK BitmapWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT r;
        GetClientRect(window, &r);
        if (gTipsOpen) {
            HBRUSH grey = CreateSolidBrush(RGB(128, 128, 128));
            FillRect(dc, &r, grey);
            DeleteObject(grey);
            const int x = (r.right - GetSystemMetrics(SM_CXICON)) / 2;
            DrawIcon(dc, x, x, LoadIconA(gInstance, MAKEINTRESOURCEA(IDI_TIPS)));
            EndPaint(window, &ps);
        } else if (gRevealTimer && window == gAboutControl) {
            HGDIOBJ pen = SelectObject(dc, GetStockObject(BLACK_PEN));
            HGDIOBJ brush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
            Rectangle(dc, r.left, r.top, r.right, r.bottom);
            SelectObject(dc, pen);
            SelectObject(dc, brush);
            EndPaint(window, &ps);
        } else {
            EndPaint(window, &ps);
            ShowSplashWindow(window);
        }
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        if (window == gAboutControl) {
            StartRevealAnimation();
            InvalidateRect(window, nullptr, TRUE);
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (!gSplashClosed && window == gSplashWindow) CloseSplashWindow();
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterBitmapClass() {
    WNDCLASSA c = {};
    c.style = CS_SAVEBITS | CS_DBLCLKS;
    c.lpfnWndProc = BitmapWndProc;
    c.hInstance = gInstance;
    c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    c.lpszClassName = "VR_Bitmap";
    return RegisterClassA(&c) != 0;
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: InitAbout(dialog); return TRUE;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        SetBkMode(dc, TRANSPARENT);
        if (id == IDC_ABOUT_PRODUCT) SetTextColor(dc, RGB(0, 0, 128));
        else if (id == IDC_ABOUT_VERSION) SetTextColor(dc, RGB(255, 0, 0));
        else if (id == IDC_ABOUT_WEB || id == IDC_ABOUT_MAIL) SetTextColor(dc, RGB(0, 0, 255));
        return reinterpret_cast<INT_PTR>(GetStockObject(HOLLOW_BRUSH));
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            StopRevealTimer();
            gAboutControl = nullptr;
            DeleteDialogFonts();
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDC_DIALOG_HELP: ShowHelpTopic(kAboutHelpTopic); return TRUE;
        case IDC_ABOUT_COPYRIGHT: ShowHelpTopic(kLicenseHelpTopic); return TRUE;
        case IDC_ABOUT_WEB: OpenLink(dialog, IDC_ABOUT_WEB, false); return TRUE;
        case IDC_ABOUT_MAIL: OpenLink(dialog, IDC_ABOUT_MAIL, true); return TRUE;
        case IDC_ABOUT_UPDATES: RunUpdater(); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK TipDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        CenterWindowOnScreen(dialog);
        gDialogFonts[0] = MakeFont("Times New Roman", 24, FW_BOLD, false, FF_ROMAN);
        gDialogFonts[1] = MakeFont("MS Sans Serif", 16, FW_NORMAL, false, FF_SWISS);
        SendDlgItemMessageA(dialog, IDC_TIP_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(gDialogFonts[0]), 0);
        SendDlgItemMessageA(dialog, IDC_TIP_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(gDialogFonts[1]), 0);
        LoadTips(dialog);
        return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HBRUSH brush = TipStaticBrush(dialog, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        if (brush) return reinterpret_cast<INT_PTR>(brush);
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_TIP_CLOSE:
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        case IDC_DIALOG_HELP: ShowHelpTopic(kTipsHelpTopic); return TRUE;
        case IDC_TIP_NEXT: ShowNextTip(dialog); return TRUE;
        }
        return FALSE;
    case WM_HELP: OnDialogHelp(dialog, reinterpret_cast<HELPINFO *>(lParam)); return TRUE;
    case WM_CONTEXTMENU:
        OnDialogContextMenu(dialog, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
                            reinterpret_cast<HWND>(wParam));
        return TRUE;
    case WM_DESTROY:
        if (gTipBrush) DeleteObject(gTipBrush);
        gTipBrush = nullptr;
        SaveTipSetting(dialog);
        DeleteDialogFonts();
        return FALSE;
    }
    return FALSE;
}

void RunUpdater() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    char *slash = n ? std::strrchr(path, '\\') : nullptr;
    if (!slash || std::strlen(path) + 20 >= sizeof path) {
        ShowErrorBox(IDS_UPDATER_NOT_FOUND);
        return;
    }
    std::strcpy(slash + 1, "Util\\Updater.exe");
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        ShowErrorBox(IDS_UPDATER_NOT_FOUND);
        return;
    }
    char parameters[64];
    std::snprintf(parameters, sizeof parameters, "FromVR %s", gProductVersion);
    const HINSTANCE result = ShellExecuteA(gFrameWindow, nullptr, path, parameters, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32) ShowSystemError(GetLastError());
}
