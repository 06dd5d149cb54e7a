// Font windows (the grid of a font's characters) and character windows
// (one character's strokes and points, magnified).
#include <windows.h>

#include "glyphsmith.h"
#include "glyphsmith_ids.h"

namespace {

const COLORREF kGrey = RGB(128, 128, 128);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kGreen = RGB(0, 128, 0);
const COLORREF kGridDots = RGB(192, 192, 192);

const MenuItemDef kFontItems[] = {
    {CM_CUT_FONT, "Cu&t", "Copy and delete char", 'X', FCONTROL},
    {CM_COPY_FONT, "&Copy", "Copy char", 'C', FCONTROL},
    {CM_PASTE_FONT, "&Paste", "Paste char", 'V', FCONTROL},
    {CM_DEL_FONT, "&Delete", "Erase char", VK_DELETE, FCONTROL},
    {CM_FONT_EDIT_CHAR, "&Edit", "Edit char definition", 'E', FCONTROL},
};

const MenuItemDef kCharItems[] = {
    {CM_CUT_CHAR, "Cu&t", "Copy and delete char", 'X', FCONTROL},
    {CM_COPY_CHAR, "&Copy", "Copy char", 'C', FCONTROL},
    {CM_PASTE_CHAR, "&Paste", "Paste char", 'V', FCONTROL},
    {CM_DEL_CHAR, "&Delete", "Delete char", VK_DELETE, FCONTROL},
    {0, "-", "", 0, 0},
    {CM_EDIT_CHAR, "&Edit", "Edit character definition", 'E', FCONTROL},
    {0, "-", "", 0, 0},
    {CM_CHAR_REFRESH, "&Refresh", "Display again all", 'R', FCONTROL},
    {0, "-", "", 0, 0},
    {CM_DISPLAY_AREA, "Display &area", "Select display ranges", 'A', FCONTROL},
};
const MenuItemDef kStrokeItems[] = {
    {CM_NEW_STROKE, "&New", "Add new stroke", VK_INSERT, FSHIFT},
    {CM_DEL_STROKE, "&Delete", "Remove stroke", VK_DELETE, FSHIFT},
    {CM_NEXT_STROKE, "Nex&t", "Select next stroke", VK_TAB, 0},
    {CM_PREV_STROKE, "P&revious", "Select previous stroke", VK_TAB, FSHIFT},
    {0, "-", "", 0, 0},
    {CM_UP_STROKE, "&Up", "Draw before previous", 'U', FCONTROL},
    {CM_DOWN_STROKE, "&Down", "Draw after next", 'D', FCONTROL},
};
const MenuItemDef kPointItems[] = {
    {CM_NEW_POINT, "Ne&w", "Insert new point", VK_INSERT, 0},
    {CM_DELETE_POINT, "&Delete", "Delete point from stroke", VK_DELETE, 0},
    {CM_NEXT_POINT, "&Next", "Select next point from stroke", 'N', FCONTROL},
    {CM_PREVIOUS_POINT, "&Previous", "Select previous point", 'P', FCONTROL},
    {0, "-", "", 0, 0},
    {CM_POINT_LEFT, "&Left", "Move current point one unit to left", 0, 0},
    {CM_POINT_RIGHT, "&Right", "Move current point one unit to right", 0, 0},
    {CM_POINT_UP, "&Up", "", 0, 0},
    {CM_POINT_DOWN, "&Down", "", 0, 0},
};

// One flag for all character windows: setting a size resizes, and the
// resize must not correct again.
bool gCorrectingCharSize = false;

}  // namespace

const MenuDef FontChild::kMenu = Popup("&Edit", "Manage characters", 2, kFontItems);
HMENU FontChild::menu = nullptr;
HACCEL FontChild::accelerators = nullptr;
const MenuDef CharChild::kMenus[3] = {
    Popup("&Character", "Manage character", 2, kCharItems),
    Popup("&Stroke", "Manage strokes in characters", 3, kStrokeItems),
    Popup("&Point", "Manage points in strokes", 3, kPointItems),
};
HMENU CharChild::menus[3] = {};
HACCEL CharChild::accelerators = nullptr;

// --- Font window.

FontChild::FontChild() = default;

FontChild::~FontChild() {
    for (CharChild *c : charWindows) c->OwnerFont = nullptr;
    if (gMainForm) gMainForm->UpdateMenuItems();
}

void FontChild::CorrectSize() {
    static bool correcting = false;
    if (correcting || !hwnd || IsIconic(hwnd) || IsZoomed(hwnd)) return;
    SIZE s = ClientSize();
    CellSize = CorrectGridCell(CellSize, s.cx, s.cy);
    const int side = GridClientSize(CellSize);
    if (s.cx != side || s.cy != side) {
        correcting = true;
        SetClientSize(side, side);
        correcting = false;
    }
}

RECT FontChild::GetCellRect(int code) const {
    RECT r;
    r.left = (code % kGridCells) * CellSize;
    r.top = (code / kGridCells) * CellSize;
    r.right = r.left + CellSize;
    r.bottom = r.top + CellSize;
    return r;
}

namespace {

void DrawFrame(Canvas &canvas, const RECT &r, COLORREF colour) {
    canvas.SetPen(colour);
    canvas.MoveTo(r.left, r.top);
    canvas.LineTo(r.right, r.top);
    canvas.LineTo(r.right, r.bottom);
    canvas.LineTo(r.left, r.bottom);
    canvas.LineTo(r.left, r.top);
}

}  // namespace

void FontChild::DrawSelection(bool show) {
    HDC dc = GetDC(hwnd);
    {
        Canvas canvas(dc);
        DrawFrame(canvas, GetCellRect(CurrentChar), show ? kRed : kGrey);
    }
    ReleaseDC(hwnd, dc);
}

void FontChild::Paint(HDC dc) {
    CorrectSize();
    Canvas canvas(dc);
    canvas.SetPen(kGrey);
    const int end = kGridCells * CellSize;
    for (int i = 0; i <= kGridCells; ++i) {
        canvas.MoveTo(i * CellSize, 0);
        canvas.LineTo(i * CellSize, end);
        canvas.MoveTo(0, i * CellSize);
        canvas.LineTo(end, i * CellSize);
    }
    canvas.SetPen(kBlue);
    for (int code = 1; code < kFontCharCount; ++code) {
        if (Chars[code].strokes.empty()) continue;
        const RECT r = GetCellRect(code);
        // The design square -20..60 each way, y upwards, into the cell.
        canvas.MapIsotropic(kDesignMin, kDesignMax, kDesignMax - kDesignMin, kDesignMax - kDesignMin, r.left, r.top,
                            CellSize, -CellSize);
        Chars[code].Draw(canvas);
        canvas.ResetMapping();
    }
    DrawFrame(canvas, GetCellRect(CurrentChar), kRed);
}

void FontChild::ShowCharStatus() { gMainForm->SetPanel(kPanelChar, CharStatusText(CurrentChar)); }

void FontChild::InvalidateChar(int code, CharChild *except) {
    RECT r = GetCellRect(code);
    ++r.right;  // the closing line of the cell
    ++r.bottom;
    InvalidateRect(hwnd, &r, TRUE);
    InvalidateChilds(code, except);
}

void FontChild::InvalidateChilds(int code, CharChild *except) {
    for (CharChild *c : charWindows)
        if (c != except && (c->CharCode == code || code < 0)) c->Repaint();
}

CharChild *FontChild::OpenCharWindow(int code) {
    CharChild *c = new CharChild(this, code);
    charWindows.push_back(c);
    gMainForm->CreateChild(c, kCharClassName, CharWindowCaption(code, Chars[code].GetWidth(), Caption()));
    c->creating = false;
    c->CorrectSize(false);
    return c;
}

void FontChild::Select(int code, bool status) {
    if (code == 0) return;
    DrawSelection(false);
    CurrentChar = code;
    DrawSelection(true);
    if (status) ShowCharStatus();
}

void FontChild::MarkChanged(int code) {
    InvalidateChar(code, nullptr);
    FontChanged = true;
}

void FontChild::FormResize() {
    CorrectSize();
    Repaint();
}

void FontChild::FormMouseDown(const MouseEvent &e) {
    const int code = CharAtPixel(e.x, e.y, CellSize);
    if (e.doubleClick) {
        if (code) OpenCharWindow(code);
    } else {
        Select(code, true);
    }
}

void FontChild::FormMouseMove(const MouseEvent &e) {
    const int code = CharAtPixel(e.x, e.y, CellSize);
    gMainForm->SetPanel(kPanelHint, code ? CharHoverText(code, Chars[code].GetWidth()) : "");
    gMainForm->SetPanel(kPanelPosition, "");
}

void FontChild::FormKeyDown(WORD key, bool) {
    switch (key) {
    case VK_RETURN: OpenCharWindow(CurrentChar); break;
    case VK_LEFT: Select(MoveInGrid(CurrentChar, kGridLeft), false); break;
    case VK_RIGHT: Select(MoveInGrid(CurrentChar, kGridRight), false); break;
    case VK_UP: Select(MoveInGrid(CurrentChar, kGridUp), false); break;
    case VK_DOWN: Select(MoveInGrid(CurrentChar, kGridDown), false); break;
    }
}

void FontChild::FormActivate() {
    gMainForm->UpdateMenuItems();
    gMainForm->SetPanel(kPanelFont, Caption());
    ShowCharStatus();
    for (int p : {kPanelStroke, kPanelPoint, kPanelPosition}) gMainForm->SetPanel(p, "");
}

bool FontChild::FormCommand(int id) {
    FChar &c = Chars[CurrentChar];
    switch (id) {
    case CM_COPY_FONT: gCharClipboard = c; return true;
    case CM_CUT_FONT:
        gCharClipboard = c;
        c.Clear();
        MarkChanged(CurrentChar);
        return true;
    case CM_DEL_FONT:
        c.Clear();
        MarkChanged(CurrentChar);
        return true;
    case CM_PASTE_FONT:
        c = gCharClipboard;
        MarkChanged(CurrentChar);
        return true;
    case CM_FONT_EDIT_CHAR:
        if (EditCharDefinition(this, CurrentChar)) MarkChanged(CurrentChar);
        return true;
    }
    return false;
}

bool FontChild::FormCloseQuery() {
    if (!FontChanged) return true;
    SendMessageA(gMainForm->client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(hwnd), 0);
    const std::string text = "Save changes to " + Caption();
    switch (MessageBoxA(gMainForm->hwnd, text.c_str(), "Font has changed", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDCANCEL: return false;
    // A cancelled Save As or a failed write keeps the window and its changes.
    case IDYES: return gMainForm->SaveFont(this);
    default: return true;
    }
}

void FontChild::FormClose() {
    const std::vector<CharChild *> windows = charWindows;
    for (CharChild *c : windows) SendMessageA(gMainForm->client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(c->hwnd), 0);
}

LRESULT FontChild::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefMDIChildProcA(hwnd, message, wParam, lParam);
}

LRESULT FontChild::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    // Enter and the arrows reach the grid, not the dialog-like default.
    if (message == WM_GETDLGCODE) return DLGC_WANTARROWS;
    return Default(message, wParam, lParam);
}

// --- Character window.

CharChild::CharChild(FontChild *font, int code)
    : CharCode(code), OwnerFont(font), editor(font->Chars[code], gCharWindowDefaults) {}

CharChild::~CharChild() {
    if (OwnerFont) {
        auto &list = OwnerFont->charWindows;
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i] == this) list.erase(list.begin() + i--);
    }
    if (gMainForm) gMainForm->UpdateMenuItems();
}

void CharChild::UpdateCaption() {
    if (!OwnerFont) return;
    const std::string caption =
        CharWindowCaption(CharCode, OwnerFont->Chars[CharCode].GetWidth(), OwnerFont->Caption());
    if (caption != Caption()) SetCaption(caption);
}

void CharChild::CorrectSize(bool resized) {
    if (gCorrectingCharSize || !hwnd || IsIconic(hwnd) || IsZoomed(hwnd)) return;
    SIZE s = ClientSize();
    int width, height;
    editor.CorrectSize(resized, s.cx, s.cy, width, height);
    if (s.cx != width || s.cy != height) {
        gCorrectingCharSize = true;
        SetClientSize(width, height);
        gCorrectingCharSize = false;
    }
}

void CharChild::SetMapping(Canvas &canvas) {
    const SIZE s = ClientSize();
    const CharWindowSettings &w = editor.settings;
    canvas.MapAnisotropic(w.minX, w.maxY, w.maxX - w.minX, w.maxY - w.minY, 0, 0, s.cx - 1, 1 - s.cy);
}

void CharChild::Paint(HDC dc) {
    if (!OwnerFont) return;
    UpdateCaption();
    CorrectSize(false);
    Canvas canvas(dc);
    SetMapping(canvas);
    const CharWindowSettings &w = editor.settings;
    if (w.step > 1) {
        canvas.SetPen(kGridDots);
        auto first = [&](int from) { return from % w.step == 0 ? from : from - from % w.step + (from > 0 ? w.step : 0); };
        for (int x = first(w.minX); x <= w.maxX; x += w.step)
            for (int y = first(w.minY); y <= w.maxY; y += w.step) {
                canvas.MoveTo(x, y);
                canvas.LineTo(x, y);
            }
    }
    // Points and one-point strokes as small squares: visible at any zoom.
    canvas.dotRadius = 1;
    canvas.SetPen(kBlue);
    editor.Char().Draw(canvas);
    if (const Stroke *s = editor.CurrentStroke()) {
        canvas.SetPen(kGreen);
        s->Draw(canvas);
    }
    if (const Spoint *p = editor.CurrentPoint()) {
        canvas.SetPen(kRed);
        p->Draw(canvas);
    }
}

void CharChild::ShowStrokeStatus(bool modified) {
    gMainForm->SetPanel(kPanelStroke, editor.StrokeStatus());
    gMainForm->SetPanel(kPanelPoint, editor.PointStatus());
    if (modified && OwnerFont) OwnerFont->FontChanged = true;
}

void CharChild::ShowCurrentPosition() {
    if (const Spoint *p = editor.CurrentPoint()) gMainForm->SetPanel(kPanelPosition, PositionText(p->x, p->y));
}

void CharChild::Apply(EditEffect effect) {
    if (effect == kEditNothing || !OwnerFont) return;
    Repaint();
    if (effect == kEditChanged) OwnerFont->InvalidateChar(CharCode, this);
    ShowStrokeStatus(effect == kEditChanged);
}

void CharChild::FormResize() {
    if (creating) return;  // the first size comes from the settings, not the frame
    CorrectSize(true);
    Repaint();
}

void CharChild::FormMouseDown(const MouseEvent &e) {
    if (!OwnerFont) return;
    int x, y;
    editor.PixelToUnit(e.x, e.y, x, y);
    if (e.doubleClick) {
        Apply(e.shift ? editor.AddStroke(x, y) : editor.AddPoint(x, y));
        ShowCurrentPosition();
        return;
    }
    if (!editor.PickPoint(x, y)) return;
    Repaint();
    ShowStrokeStatus(true);
    // The pointer jumps onto the picked point.
    if (const Spoint *p = editor.CurrentPoint()) {
        int px, py;
        editor.UnitToPixel(p->x, p->y, px, py);
        POINT at = {px, py};
        ClientToScreen(hwnd, &at);
        SetCursorPos(at.x, at.y);
    }
    SetCapture(hwnd);
    DraggingPoint = true;
}

void CharChild::FormMouseMove(const MouseEvent &e) {
    gMainForm->SetPanel(kPanelHint, "");
    int x, y;
    editor.PixelToUnit(e.x, e.y, x, y);
    if (DraggingPoint)
        if (const Spoint *p = editor.CurrentPoint())
            if (x != p->x || y != p->y) Apply(editor.MoveCurrentPoint(x - p->x, y - p->y));
    gMainForm->SetPanel(kPanelPosition, PositionText(x, y));
}

void CharChild::FormMouseUp(const MouseEvent &) {
    DraggingPoint = false;
    ReleaseCapture();
}

void CharChild::FormKeyDown(WORD key, bool shift) {
    const int s = shift ? 10 : 1;
    EditEffect effect = kEditNothing;
    switch (key) {
    case VK_LEFT: effect = editor.MoveCurrentPoint(-s, 0); break;
    case VK_RIGHT: effect = editor.MoveCurrentPoint(s, 0); break;
    case VK_UP: effect = editor.MoveCurrentPoint(0, s); break;
    case VK_DOWN: effect = editor.MoveCurrentPoint(0, -s); break;
    default: return;
    }
    Apply(effect);
    if (effect != kEditNothing) ShowCurrentPosition();
}

void CharChild::FormActivate() {
    gMainForm->UpdateMenuItems();
    if (!OwnerFont) return;
    gMainForm->SetPanel(kPanelFont, OwnerFont->Caption());
    gMainForm->SetPanel(kPanelChar, CharStatusText(CharCode));
    ShowStrokeStatus(false);
    gMainForm->SetPanel(kPanelPosition, "");
}

void CharChild::DisplayArea() {
    CharWindowSettings values = editor.settings;
    if (!EditCharWindowStyle(values)) return;
    editor.settings = values;
    CorrectSize(false);
    Repaint();
}

bool CharChild::FormCommand(int id) {
    if (!OwnerFont) return false;
    FChar &c = editor.Char();
    switch (id) {
    case CM_COPY_CHAR: gCharClipboard = c; return true;
    case CM_CUT_CHAR:
        gCharClipboard = c;
        c.Clear();
        Apply(kEditChanged);
        return true;
    case CM_DEL_CHAR: c.Clear(); Apply(kEditChanged); return true;
    case CM_PASTE_CHAR: c = gCharClipboard; Apply(kEditChanged); return true;
    case CM_EDIT_CHAR:
        if (EditCharDefinition(OwnerFont, CharCode)) Apply(kEditChanged);
        return true;
    case CM_CHAR_REFRESH: Repaint(); return true;
    case CM_DISPLAY_AREA: DisplayArea(); return true;
    case CM_NEW_STROKE: Apply(editor.NewStroke()); return true;
    case CM_DEL_STROKE: Apply(editor.DeleteStroke()); return true;
    case CM_NEXT_STROKE: Apply(editor.NextStroke()); return true;
    case CM_PREV_STROKE: Apply(editor.PreviousStroke()); return true;
    case CM_UP_STROKE: Apply(editor.StrokeUp()); return true;
    case CM_DOWN_STROKE: Apply(editor.StrokeDown()); return true;
    case CM_NEW_POINT: Apply(editor.NewPoint()); ShowCurrentPosition(); return true;
    case CM_DELETE_POINT: Apply(editor.DeletePoint()); return true;
    case CM_NEXT_POINT: Apply(editor.NextPoint()); return true;
    case CM_PREVIOUS_POINT: Apply(editor.PreviousPoint()); return true;
    case CM_POINT_LEFT: Apply(editor.MoveCurrentPoint(-1, 0)); return true;
    case CM_POINT_RIGHT: Apply(editor.MoveCurrentPoint(1, 0)); return true;
    case CM_POINT_UP: Apply(editor.MoveCurrentPoint(0, 1)); return true;
    case CM_POINT_DOWN: Apply(editor.MoveCurrentPoint(0, -1)); return true;
    }
    return false;
}

LRESULT CharChild::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefMDIChildProcA(hwnd, message, wParam, lParam);
}
