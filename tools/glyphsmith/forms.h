// A small form layer over plain Win32, as much as the font editor uses:
// windows as objects with named event handlers, menus and accelerators from
// tables, a multi-document frame that merges its children's menus, a status
// bar of panels, a flat speed bar with tooltips, a canvas with a mapping
// mode, modal dialogs from the resource script, the registry and help.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "fontfile.h"
#include "forms_rc.h"

// --- Menus from tables.

// One item: a command (0 with caption "-" for a separator), its long hint,
// and its shortcut (0: none; FVIRTKEY is implied).
struct MenuItemDef {
    int id;
    const char *caption;
    const char *hint;
    WORD key;
    BYTE modifiers;  // FCONTROL, FSHIFT
};

// A popup of the menu bar and the group by which children's menus merge
// into the frame's bar (lower groups to the left).
struct MenuDef {
    const char *caption;
    const char *hint;
    int group;
    const MenuItemDef *items;
    int count;
};

template <int N>
constexpr MenuDef Popup(const char *caption, const char *hint, int group, const MenuItemDef (&items)[N]) {
    return {caption, hint, group, items, N};
}

// A built popup; the caption shows the shortcut after a tab.
HMENU BuildPopup(const MenuDef &def);
// The accelerator table of a set of popups.
HACCEL BuildAccelerators(const MenuDef *defs, int count);
// "Ctrl+Del", "Shift+Tab": the shortcut's text.
std::string ShortcutText(WORD key, BYTE modifiers);
// Long hints of commands and popups, by id or by popup handle.
void RegisterHints(const MenuDef *defs, int count, const HMENU *popups);
const char *HintOfCommand(int id);
const char *HintOfPopup(HMENU popup);

// --- Forms.

struct MouseEvent {
    int x, y;     // client pixels
    bool shift;   // Shift held
    bool doubleClick;
};

// A window with event handlers. The object lives as long as its window:
// WM_NCDESTROY deletes it when owned is set.
class Form {
public:
    HWND hwnd = nullptr;
    bool owned = true;

    virtual ~Form() = default;

    std::string Caption() const;
    void SetCaption(const std::string &text);
    // The client area's size, and setting it by resizing the outer window.
    SIZE ClientSize() const;
    void SetClientSize(int width, int height);
    void Repaint() { InvalidateRect(hwnd, nullptr, TRUE); }
    // A menu command, shortcut or button: true when handled.
    virtual bool FormCommand(int) { return false; }

    // The window procedure of every form class: the object comes from the
    // creation parameters and is kept in GWLP_USERDATA.
    static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
    static Form *FromHandle(HWND hwnd);
    // Registers a class with this procedure (CS_DBLCLKS, white background).
    static void RegisterFormClass(const char *name, HICON icon);

protected:
    virtual void FormPaint(HDC) {}
    virtual void FormResize() {}
    virtual void FormMouseDown(const MouseEvent &) {}
    virtual void FormMouseMove(const MouseEvent &) {}
    virtual void FormMouseUp(const MouseEvent &) {}
    virtual void FormKeyDown(WORD, bool) {}
    virtual void FormActivate() {}
    // False keeps the window open.
    virtual bool FormCloseQuery() { return true; }
    // After a close was allowed, before the window goes.
    virtual void FormClose() {}
    // The default processing: DefWindowProc, or the MDI versions.
    virtual LRESULT Default(UINT, WPARAM, LPARAM);
    // Messages that the events above don't cover.
    virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
};

// --- Status bar with panels.

class StatusBar {
public:
    HWND hwnd = nullptr;
    void Create(HWND parent, const std::vector<int> &widths, const std::vector<int> &alignments);
    void SetWidths(const std::vector<int> &widths);
    std::vector<int> Widths() const { return widths_; }
    void SetText(int panel, const std::string &text);
    std::string Text(int panel) const;

private:
    std::vector<int> widths_, alignments_;
    std::vector<std::string> texts_;
};

// --- Flat speed bar with tooltips.

struct SpeedButtonDef {
    int command;
    int image;  // index in the common controls' standard small images
    const char *tooltip;
};

class SpeedBar {
public:
    HWND hwnd = nullptr;
    void Create(HWND parent, const SpeedButtonDef *buttons, int count, int height);
    void Enable(int command, bool enable);
    bool Enabled(int command) const;
    // The tooltip text for TTN_GETDISPINFO.
    const char *Tooltip(int command) const;

private:
    const SpeedButtonDef *buttons_ = nullptr;
    int count_ = 0;
};

// --- Canvas: a device context seen through a mapping, as the font model
// draws on it. A line to the point where the pen stands draws a dot, which
// a line of zero length would not, so that points show at every zoom.
class Canvas : public FontCanvas {
public:
    explicit Canvas(HDC dc);
    ~Canvas();
    HDC dc;
    int dotRadius = 0;  // device pixels around a dot's centre
    // Pens are made here and deleted with the canvas.
    void SetPen(COLORREF colour);
    // Font units (x from left, y upwards) into a device rectangle.
    void MapIsotropic(int windowX, int windowY, int windowExtX, int windowExtY, int viewX, int viewY,
                      int viewExtX, int viewExtY);
    void MapAnisotropic(int windowX, int windowY, int windowExtX, int windowExtY, int viewX, int viewY,
                        int viewExtX, int viewExtY);
    void ResetMapping();
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;

private:
    int saved_;
    COLORREF colour_ = 0;
    std::vector<HPEN> pens_;
    POINT at_ = {0, 0};
};

// --- Modal dialogs from the resource script.

// FORMS_RAISED_PANEL_CLASS in a resource script: a flat face with a
// one-pixel raised bevel. Put it last in the template, with WS_CLIPSIBLINGS,
// so that it lies under the controls it holds and never paints over them.

// The look of a label: its text colour, bold, underlined, and a face in
// place of the dialog's (null: the dialog's face and size).
struct LabelLook {
    int id;
    COLORREF colour;
    bool bold;
    bool underline;
    const char *face;
};

class Dialog {
public:
    virtual ~Dialog();
    // Shows the dialog modally; its result (IDOK, IDCANCEL).
    INT_PTR Run(HINSTANCE instance, int templateId, HWND owner);
    HWND hwnd = nullptr;

    std::string ItemText(int id) const;
    void SetItemText(int id, const std::string &text);
    // From Init on: labels get their looks (fonts made here live as long as
    // the dialog), and a control a tooltip (the control needs SS_NOTIFY when
    // it is a label, to see the mouse).
    void SetLabelLooks(const LabelLook *looks, int count);
    void AddTooltip(int id, const char *text);

protected:
    virtual void Init() {}
    // A button; return true when handled. OK and Cancel close unless
    // Validate refuses.
    virtual bool Command(int) { return false; }
    // On OK: false keeps the dialog open (the handler has said why).
    virtual bool Validate() { return true; }
    // Long hints of controls, shown while the pointer rests on them.
    virtual const char *Hint(int) const { return nullptr; }
    virtual BOOL Message(UINT, WPARAM, LPARAM) { return FALSE; }

private:
    static INT_PTR CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
    // The brush behind a label with a look, its colour set on dc; null for
    // other controls.
    HBRUSH LabelColours(HDC dc, HWND control) const;
    void ReleaseLooks();

    std::vector<LabelLook> looks_;
    std::vector<HFONT> fonts_;
    HWND tooltip_ = nullptr;
};

// Where hints go (status panel 0); null: nowhere.
extern void (*gShowHint)(const char *hint);

// --- Registry: values under HKEY_CURRENT_USER\path\section, as strings.

class RegistrySection {
public:
    RegistrySection(const std::string &path, const char *section, bool create);
    ~RegistrySection();
    bool Open() const { return key_ != nullptr; }
    bool Read(const char *name, std::string &value) const;
    // Keeps value when the entry is missing or not a whole number.
    void ReadInt(const char *name, int &value) const;
    bool Write(const char *name, const std::string &value);

private:
    HKEY key_ = nullptr;
};

// --- Help: HtmlHelpA of hhctrl.ocx, loaded on first use.
void ShowHtmlHelp(const std::string &file, UINT command, DWORD_PTR data);
