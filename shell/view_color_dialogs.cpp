// The view-point and colour dialogs on real windows.
#include "view_color_dialogs.h"

#include <commdlg.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "builtin_math.h"
#include "builtin_tables.h"
#include "described_dialog.h"
#include "modal_dialogs.h"
#include "graph_pipeline.h"
#include "platform_win32.h"
#include "problem_settings.h"
#include "projection.h"
#include "resource_ids.h"
#include "settings.h"
#include "view_color_logic.h"
#include "workspace.h"

namespace {

constexpr int kViewPointHelp = 2062;
constexpr int kColorsHelp = 2061;

// ---- View point

struct ViewField {
    double ViewPoint::*value;
    int bar;  // 0: none
    int edit;
    double max;
};
const ViewField kViewFields[5] = {
    {&ViewPoint::theta, IDC_VP_THETA_BAR, IDC_VP_THETA, 360},
    {&ViewPoint::phi, IDC_VP_PHI_BAR, IDC_VP_PHI, 360},
    {&ViewPoint::psi, IDC_VP_PSI_BAR, IDC_VP_PSI, 360},
    {&ViewPoint::distance, IDC_VP_DISTANCE_BAR, IDC_VP_DISTANCE, 10},
    {&ViewPoint::origin, 0, IDC_VP_ORIGIN, 10},
};

HWND gViewDialog;
bool gViewWritingText;
bool gDragging;
POINT gLastMouse;

void SetViewControl(const ViewField &f, bool withText) {
    double &v = gViewPoint.*f.value;
    v = WrapViewValue(v, f.max);
    gViewPoint.setupMarker = 2.0;
    if (f.bar) {
        HWND bar = GetDlgItem(gViewDialog, f.bar);
        const bool tenths = f.max != 360;
        SetScrollRange(bar, SB_CTL, 0, tenths ? static_cast<int>(f.max * 10) : 360, FALSE);
        SetScrollPos(bar, SB_CTL, static_cast<int>(std::lround(tenths ? v * 10 : v)), TRUE);
    }
    if (withText) {
        char text[48];
        std::snprintf(text, sizeof text, "%.15lg", v);
        gViewWritingText = true;
        SetDlgItemTextA(gViewDialog, f.edit, text);
        gViewWritingText = false;
        UpdateWindow(GetDlgItem(gViewDialog, f.edit));
    }
    InvalidateRect(GetDlgItem(gViewDialog, IDC_VP_PREVIEW), nullptr, TRUE);
}

bool ReadViewEdit(int edit, double *out) {
    char text[41] = {};
    GetDlgItemTextA(gViewDialog, edit, text, sizeof text);
    return ParseDialogDouble(text, out);
}

void OnViewScroll(HWND bar, int code) {
    const int id = GetDlgCtrlID(bar);
    for (const ViewField &f : kViewFields) {
        if (f.bar != id) continue;
        const int thumb = (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) ? GetScrollPos(bar, SB_CTL) : 0;
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        if (code == SB_THUMBTRACK && GetScrollInfo(bar, SB_CTL, &info)) {
            gViewPoint.*f.value = ScrollViewValue(gViewPoint.*f.value, f.max, code, info.nTrackPos);
        } else {
            gViewPoint.*f.value = ScrollViewValue(gViewPoint.*f.value, f.max, code, thumb);
        }
        SetViewControl(f, true);
        if (f.value == &ViewPoint::distance) {
            gViewPoint.origin = gViewPoint.distance;
            SetViewControl(kViewFields[4], true);
        }
    }
}

void OnViewOk(HWND dialog) {
    double values[5];
    for (int i = 0; i < 5; ++i)
        if (!ReadViewEdit(kViewFields[i].edit, &values[i])) {
            SetFocus(GetDlgItem(dialog, kViewFields[i].edit));
            MessageBeep(MB_ICONEXCLAMATION);
            return;
        }
    for (int i = 0; i < 5; ++i) gViewPoint.*kViewFields[i].value = WrapViewValue(values[i], kViewFields[i].max);
    if (gViewPoint.distance > 0 && gViewPoint.distance < 2) gViewPoint.distance = 2;
    gProblemChanged = 1;
    EndDialog(dialog, 1);
}

int PreviewUnits(double v) {
    if (!(v < 16.383) || v * 1000 > 16383) return 16383;
    if (v * 1000 < -16383) return -16383;
    return static_cast<int>(std::lround(v * 1000));
}

void PaintPreview(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT r;
    GetClientRect(window, &r);
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    gViewPoint.setupMarker = 2.0;
    SetupProjection(gViewPoint);
    bool visible[12];
    CubeEdgeVisibility(gViewPoint, visible);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1800, 1800, nullptr);
    SetViewportExtEx(dc, r.right / 2, -r.bottom / 2, nullptr);
    SetViewportOrgEx(dc, r.right / 2, r.bottom / 2, nullptr);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SIZE x;
    GetTextExtentPoint32A(dc, "x", 1, &x);
    HPEN dotted = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    for (int pass = 0; pass < 2; ++pass) {
        HGDIOBJ old = SelectObject(dc, pass == 0 ? dotted : GetStockObject(BLACK_PEN));
        for (int e = 0; e < 12; ++e) {
            if (visible[e] != (pass == 1)) continue;
            const CubeEdge &edge = kCubeEdges[e];
            const int x1 = PreviewUnits(projx(edge.a[0], edge.a[1], edge.a[2]));
            const int y1 = PreviewUnits(projy(edge.a[0], edge.a[1], edge.a[2]));
            const int x2 = PreviewUnits(projx(edge.b[0], edge.b[1], edge.b[2]));
            const int y2 = PreviewUnits(projy(edge.b[0], edge.b[1], edge.b[2]));
            MoveToEx(dc, x1, y1, nullptr);
            LineTo(dc, x2, y2);
            if (edge.label)
                TextOutA(dc, (x1 + x2) / 2 - x.cx / 2, (y1 + y2) / 2 + x.cy / 2, &edge.label, 1);
        }
        SelectObject(dc, old);
    }
    DeleteObject(dotted);
    EndPaint(window, &ps);
}

BOOL OnViewInit(HWND dialog) {
    gViewDialog = dialog;
    CenterDialogInFrame(dialog);
    for (const ViewField &f : kViewFields) SetViewControl(f, true);
    return TRUE;
}

// ---- Colours

ColorSet gSet;
int gItem;
HWND gColorDialog;
bool gColorWritingWidth;

void RedrawControl(int id) { InvalidateRect(GetDlgItem(gColorDialog, id), nullptr, TRUE); }

void UpdateWidthControls(bool withText) {
    const bool background = gItem == 3;
    EnableWindow(GetDlgItem(gColorDialog, IDC_COLOR_WIDTH_LABEL), !background);
    EnableWindow(GetDlgItem(gColorDialog, IDC_COLOR_WIDTH), !background);
    for (int id = IDC_COLOR_WIDTH_0; id <= IDC_COLOR_WIDTH_7; ++id) EnableWindow(GetDlgItem(gColorDialog, id), !background);
    gColorWritingWidth = true;
    if (background) SetDlgItemTextA(gColorDialog, IDC_COLOR_WIDTH, "");
    else if (withText) SetDlgItemInt(gColorDialog, IDC_COLOR_WIDTH, gSet.widths[gItem], TRUE);
    gColorWritingWidth = false;
    for (int id = IDC_COLOR_WIDTH_0; id <= IDC_COLOR_WIDTH_7; ++id) RedrawControl(id);
}

void StoreWidthEdit() {
    if (gItem == 3) return;
    BOOL ok = FALSE;
    const int w = static_cast<int>(GetDlgItemInt(gColorDialog, IDC_COLOR_WIDTH, &ok, TRUE));
    if (ok) gSet.widths[gItem] = w;
}

BOOL OnColorsInit(HWND dialog) {
    gColorDialog = dialog;
    gItem = 0;
    CenterDialogInFrame(dialog);
    CheckRadioButton(dialog, IDC_COLOR_DRAWING, IDC_COLOR_BACKGROUND, IDC_COLOR_DRAWING);
    UpdateWidthControls(true);
    EnableWindow(GetDlgItem(dialog, IDC_COLOR_DIRECTION_FIELD), gProblemKind != kMap);
    return TRUE;
}

void OnColorsCommand(HWND dialog, int id, int code) {
    if (id >= IDC_COLOR_DRAWING && id <= IDC_COLOR_BACKGROUND) {
        StoreWidthEdit();
        gItem = id - IDC_COLOR_DRAWING;
        RedrawControl(IDC_COLOR_SAMPLE);
        UpdateWidthControls(true);
    } else if (id >= IDC_COLOR_WHITE && id <= IDC_COLOR_GREY) {
        gSet.colors[gItem] = static_cast<int32_t>(gColorPalette[id - IDC_COLOR_WHITE]);
        RedrawControl(IDC_COLOR_SAMPLE);
        SetFocus(GetDlgItem(dialog, id));
    } else if (id == IDC_COLOR_WIDTH && code == EN_CHANGE && !gColorWritingWidth) {
        if (gItem != 3) {
            BOOL ok = FALSE;
            const int w = static_cast<int>(GetDlgItemInt(dialog, IDC_COLOR_WIDTH, &ok, TRUE));
            if (ok) gSet.widths[gItem] = w;
        }
        for (int k = IDC_COLOR_WIDTH_0; k <= IDC_COLOR_WIDTH_7; ++k) RedrawControl(k);
        RedrawControl(IDC_COLOR_SAMPLE);
    } else if (id >= IDC_COLOR_WIDTH_0 && id <= IDC_COLOR_WIDTH_7) {
        if (gItem != 3) gSet.widths[gItem] = id - IDC_COLOR_WIDTH_0;
        UpdateWidthControls(true);
        RedrawControl(IDC_COLOR_SAMPLE);
    } else if (id == IDOK) {
        StoreWidthEdit();
        gProblemChanged = 1;
        EndDialog(dialog, 1);
    } else if (id == IDCANCEL) {
        EndDialog(dialog, 0);
    } else if (id == IDHELP) {
        ShowHelpTopic(kColorsHelp);
    }
}

void PaintSample(HWND window, HDC dc, const RECT &r) {
    HBRUSH back = CreateSolidBrush(static_cast<COLORREF>(gSet.colors[3]));
    FillRect(dc, &r, back);
    DeleteObject(back);
    const int cx = r.right / 2, cy = r.bottom / 2;
    HPEN axes = CreatePen(PS_SOLID, gSet.widths[1], static_cast<COLORREF>(gSet.colors[1]));
    HGDIOBJ old = SelectObject(dc, axes);
    MoveToEx(dc, cx, 0, nullptr);
    LineTo(dc, cx, r.bottom);
    MoveToEx(dc, 0, cy, nullptr);
    LineTo(dc, r.right, cy);
    if (gProblemKind != kMap) {
        HPEN field = CreatePen(PS_SOLID, gSet.widths[2], static_cast<COLORREF>(gSet.colors[2]));
        SelectObject(dc, field);
        const int xs[2] = {r.right / 4, 3 * r.right / 4}, ys[2] = {r.bottom / 4, 3 * r.bottom / 4};
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j) {
                const int s = i == j ? -1 : 1;  // upper-left and lower-right: -1
                MoveToEx(dc, xs[i] - 4 * s, ys[j] - 4, nullptr);
                LineTo(dc, xs[i] + 4 * s, ys[j] + 4);
            }
        SelectObject(dc, axes);
        DeleteObject(field);
    }
    HPEN drawing = CreatePen(PS_SOLID, gSet.widths[0], static_cast<COLORREF>(gSet.colors[0]));
    SelectObject(dc, drawing);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, 0, 0, r.right, r.bottom);
    SelectObject(dc, old);
    DeleteObject(drawing);
    DeleteObject(axes);
    (void)window;
}

void PaintSwatch(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT r;
    GetClientRect(window, &r);
    const int id = GetDlgCtrlID(window);
    if (id == IDC_COLOR_SAMPLE) {
        PaintSample(window, dc, r);
    } else if (id >= IDC_COLOR_WIDTH_0 && id <= IDC_COLOR_WIDTH_7) {
        const int w = id - IDC_COLOR_WIDTH_0;
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        if (IsWindowEnabled(window)) {
            HPEN pen = CreatePen(PS_SOLID, w, RGB(0, 0, 0));
            HGDIOBJ old = SelectObject(dc, pen);
            const int cy = r.bottom / 2;
            MoveToEx(dc, r.right / 2, cy, nullptr);
            LineTo(dc, r.right - 1, cy);
            SelectObject(dc, old);
            DeleteObject(pen);
            if (gItem != 3 && gSet.widths[gItem] == w) {
                const POINT arrow[3] = {{r.right / 2 - 2, cy}, {r.right / 2 - 6, cy - 3}, {r.right / 2 - 6, cy + 3}};
                SelectObject(dc, GetStockObject(BLACK_BRUSH));
                Polygon(dc, arrow, 3);
            }
        }
    } else {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
        if (GetFocus() == window) DrawFocusRect(dc, &r);
        RECT in = {r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
        FrameRect(dc, &in, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&in, -1, -1);
        HBRUSH fill = CreateSolidBrush(static_cast<COLORREF>(gColorPalette[id - IDC_COLOR_WHITE]));
        FillRect(dc, &in, fill);
        DeleteObject(fill);
    }
    EndPaint(window, &ps);
}

void CustomizeSwatch(HWND window) {
    const int index = GetDlgCtrlID(window) - IDC_COLOR_WHITE;
    COLORREF custom[16];
    for (int i = 0; i < 16; ++i) custom[i] = gColorPalette[i];
    CHOOSECOLORA choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = GetParent(window);
    choose.rgbResult = gColorPalette[index];
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (ChooseColorA(&choose)) {
        gColorPalette[index] = choose.rgbResult;
        InvalidateRect(window, nullptr, TRUE);
    }
}

bool IsPaletteSwatch(int id) { return id >= IDC_COLOR_WHITE && id <= IDC_COLOR_GREY; }

}  // namespace

// ---- Window procedures

LRESULT CALLBACK ViewPointWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: PaintPreview(window); return 0;
    case WM_SETFOCUS:
        if (HWND bar = GetDlgItem(GetParent(window), IDC_VP_THETA_BAR)) SetFocus(bar);
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(window);
        gDragging = true;
        gLastMouse = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        return 0;
    case WM_MOUSEMOVE:
        if (gDragging && (wParam & MK_LBUTTON)) {
            const POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            RECT r;
            GetClientRect(window, &r);
            DragViewPoint(gViewPoint, p.x - gLastMouse.x, p.y - gLastMouse.y, r.right, r.bottom);
            gLastMouse = p;
            SetViewControl(kViewFields[0], true);
            SetViewControl(kViewFields[1], true);
            UpdateWindow(window);
        }
        return 0;
    case WM_LBUTTONUP:
        if (gDragging) ReleaseCapture();
        gDragging = false;
        return 0;
    case WM_CAPTURECHANGED: gDragging = false; return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK ColorSwatchWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int id = GetDlgCtrlID(window);
    switch (message) {
    case WM_PAINT: PaintSwatch(window); return 0;
    case WM_SETFOCUS:
        if (id == IDC_COLOR_SAMPLE) {
            SetFocus(GetDlgItem(GetParent(window), IDOK));
            return 0;
        }
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_KILLFOCUS: InvalidateRect(window, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: return DLGC_WANTCHARS;
    case WM_LBUTTONDBLCLK:
        if (IsPaletteSwatch(id)) CustomizeSwatch(window);
        [[fallthrough]];
    case WM_LBUTTONDOWN:
        if (id != IDC_COLOR_SAMPLE)
            SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(window));
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE && id != IDC_COLOR_SAMPLE)
            SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(window));
        return 0;
    case WM_ENABLE: InvalidateRect(window, nullptr, TRUE); return 0;
    }
    (void)lParam;
    return DefWindowProcA(window, message, wParam, lParam);
}

INT_PTR CALLBACK ViewPointDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnViewInit(dialog);
    case WM_HSCROLL:
    case WM_VSCROLL: OnViewScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam)); return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDOK) OnViewOk(dialog);
        else if (id == IDCANCEL) EndDialog(dialog, 0);
        else if (id == IDHELP) ShowHelpTopic(kViewPointHelp);
        else if (HIWORD(wParam) == EN_CHANGE && !gViewWritingText)
            for (const ViewField &f : kViewFields)
                if (f.edit == id) {
                    double v;
                    if (ReadViewEdit(id, &v)) {
                        gViewPoint.*f.value = v;
                        SetViewControl(f, false);
                    }
                }
        return TRUE;
    }
    case WM_HELP:
    case WM_CONTEXTMENU: return OnDialogHelpMessage(dialog, message, wParam, lParam);
    }
    return FALSE;
}

INT_PTR CALLBACK ColorsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnColorsInit(dialog);
    case WM_COMMAND: OnColorsCommand(dialog, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_HELP:
    case WM_CONTEXTMENU: return OnDialogHelpMessage(dialog, message, wParam, lParam);
    }
    return FALSE;
}

void RegisterViewColorClasses() {
    static bool done;
    if (done) return;
    done = true;
    WNDCLASSA c = {};
    c.hInstance = GetModuleHandleA(nullptr);
    c.hCursor = LoadCursor(nullptr, IDC_ARROW);
    c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    c.lpfnWndProc = ViewPointWndProc;
    c.lpszClassName = kViewPointClass;
    RegisterClassA(&c);
    c.style = CS_DBLCLKS;
    c.lpfnWndProc = ColorSwatchWndProc;
    c.lpszClassName = kColorSwatchClass;
    RegisterClassA(&c);
}

int ShowViewPointDialog(HWND owner, ViewPoint *block) {
    RegisterViewColorClasses();
    gViewPoint = *block;
    const INT_PTR result = RunModalDialog(IDD_VIEW_POINT, owner, ViewPointDlgProc);
    if (result != 1) return 0;
    gViewPoint.setupMarker = 2.0;
    SetupProjection(gViewPoint);
    *block = gViewPoint;
    return 1;
}

int ShowColorsDialog(HWND owner, GraphWindowState *state) {
    RegisterViewColorClasses();
    ColorSetFromGraph(*state, gSet);
    const INT_PTR result = RunModalDialog(IDD_COLORS, owner, ColorsDlgProc);
    if (result != 1) return 0;
    ColorSetToGraph(gSet, *state);
    if (gOwnDc) ReleasePens();
    return 1;
}
