// The character window style dialog, the character edit dialog and the
// about box, from the resource script.
#include <windows.h>
#include <shellapi.h>

#include "glyphsmith.h"
#include "glyphsmith_ids.h"

namespace {

// The about box's texts, read once at start from the version block.
struct AboutTexts {
    std::string caption = "About ";
    std::string name = "Product Name";
    std::string version = "Version";
    std::string copyright = "Copyright";
    std::string comments = "Glyphsmith is free to use and to pass on unchanged.";
} gAbout;

const char kMailLink[] = "mailto:glyphsmith@quorvale.example";
const char kHomePage[] = "https://quorvale.example/glyphsmith";
const char kMailTip[] = "Click to send me a message";
const char kHomePageTip[] = "Click to open my home page";
constexpr int kAboutIconSide = 39;  // pixels

// The about box's labels on their raised panel; the links as links are
// shown: blue, underlined.
const LabelLook kAboutLooks[] = {
    {IDC_ABOUT_NAME, RGB(0, 128, 128), true, false, nullptr},  // teal
    {IDC_ABOUT_VERSION, RGB(0, 128, 0), false, false, nullptr},
    {IDC_ABOUT_COPYRIGHT, RGB(0, 0, 128), false, false, nullptr},  // navy
    {IDC_ABOUT_BUGS, RGB(255, 0, 0), false, false, nullptr},
    {IDC_ABOUT_EMAIL, RGB(0, 0, 255), false, true, "Courier New"},
    {IDC_ABOUT_HOMEPAGE, RGB(0, 0, 255), false, true, "Courier New"},
};

const int kStyleEdits[CharWindowSettings::kCount] = {IDC_MIN_X, IDC_MIN_Y, IDC_MAX_X, IDC_MAX_Y,
                                                     IDC_ZOOM,  IDC_MAX_D, IDC_STEP};

class StyleDialog : public Dialog {
public:
    CharWindowSettings values;

protected:
    void Init() override {
        Fill(values);
        CheckDlgButton(hwnd, IDC_NEW_DEFAULTS, BST_UNCHECKED);
    }
    bool Command(int id) override {
        if (id == IDC_DEFAULTS) Fill(gCharWindowDefaults);
        else if (id == IDC_FACTORY) {
            // At once, not only on OK: Cancel afterwards keeps the reset.
            gCharWindowDefaults = CharWindowSettings();
            Fill(gCharWindowDefaults);
            CheckDlgButton(hwnd, IDC_NEW_DEFAULTS, BST_CHECKED);
        } else return false;
        return true;
    }
    bool Validate() override {
        CharWindowSettings read = values;
        // An edit that holds no whole number keeps the window's value.
        for (int i = 0; i < CharWindowSettings::kCount; ++i) {
            int v;
            if (ParseInteger(ItemText(kStyleEdits[i]), v)) read.Field(i) = v;
        }
        const std::string problem = SettingsProblem(read);
        if (!problem.empty()) {
            MessageBoxA(hwnd, problem.c_str(), "Character Window Style", MB_OK | MB_ICONERROR);
            return false;
        }
        values = read;
        if (IsDlgButtonChecked(hwnd, IDC_NEW_DEFAULTS) == BST_CHECKED) gCharWindowDefaults = values;
        return true;
    }
    const char *Hint(int id) const override {
        switch (id) {
        case IDC_MAX_Y: return "Maximum vertical coordinate";
        case IDC_MIN_X: return "Minimum horizontal coordinate";
        case IDC_LABEL_X: return "Displayed ranges";
        case IDC_MAX_X: return "Maximum horizontal coordinate";
        case IDC_MIN_Y: return "Minimum vertical coordinate";
        case IDC_ZOOM: return "Magnification factor";
        case IDC_STEP: return "Grid point spacing (0=none)";
        case IDC_MAX_D: return "Max. error in mouse pointer position";
        case IDOK: return "Accept current ranges";
        case IDCANCEL: return "Cancel changes";
        case IDC_DEFAULTS: return "Use current default values";
        case IDC_FACTORY: return "Use factory default values";
        case IDC_NEW_DEFAULTS: return "Use these values as new default from now on";
        }
        return "Define the appearance of character windows";
    }

private:
    void Fill(const CharWindowSettings &s) {
        for (int i = 0; i < CharWindowSettings::kCount; ++i) SetItemText(kStyleEdits[i], std::to_string(s.Field(i)));
    }
};

class EditDialog : public Dialog {
public:
    std::string caption, width, strokes;
    FChar result;

protected:
    void Init() override {
        SetWindowTextA(hwnd, caption.c_str());
        SetItemText(IDC_WIDTH, width);
        SetItemText(IDC_STROKES, strokes);
        font_ = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FIXED_PITCH | FF_MODERN,
                            "Courier New");
        SendDlgItemMessageA(hwnd, IDC_STROKES, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        SetFocus(GetDlgItem(hwnd, IDC_WIDTH));
    }
    bool Validate() override {
        std::string message;
        // A bad pair is named and nothing is stored: the text stays to be mended.
        if (ParseCharText(ItemText(IDC_WIDTH), ItemText(IDC_STROKES), result, message)) return true;
        MessageBoxA(hwnd, message.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
        return false;
    }
    const char *Hint(int id) const override {
        switch (id) {
        case IDC_WIDTH: return "Char width spacing";
        case IDC_STROKES: return "List of strokes (lists of points: x1 y1 x2 y2 ...)";
        case IDOK: return "Accept current values";
        case IDCANCEL: return "Discard changes and exit";
        }
        return "Edit here character definition";
    }
    BOOL Message(UINT message, WPARAM, LPARAM) override {
        if (message == WM_DESTROY && font_) {
            DeleteObject(font_);
            font_ = nullptr;
        }
        return FALSE;
    }

private:
    HFONT font_ = nullptr;
};

class AboutDialog : public Dialog {
protected:
    void Init() override {
        SetWindowTextA(hwnd, gAbout.caption.c_str());
        SetItemText(IDC_ABOUT_NAME, gAbout.name);
        SetItemText(IDC_ABOUT_VERSION, gAbout.version);
        SetItemText(IDC_ABOUT_COPYRIGHT, gAbout.copyright);
        SetItemText(IDC_ABOUT_COMMENTS, gAbout.comments);
        SetItemText(IDC_ABOUT_EMAIL, kMailLink + 7);
        SetItemText(IDC_ABOUT_HOMEPAGE, kHomePage);
        SetLabelLooks(kAboutLooks, sizeof kAboutLooks / sizeof kAboutLooks[0]);
        AddTooltip(IDC_ABOUT_EMAIL, kMailTip);
        AddTooltip(IDC_ABOUT_HOMEPAGE, kHomePageTip);
        hand_ = LoadCursorA(nullptr, IDC_HAND);
        // The program's icon stretched to the picture's 39 pixels square.
        icon_ = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_GLYPHSMITH), IMAGE_ICON,
                                              kAboutIconSide, kAboutIconSide, 0));
        SendDlgItemMessageA(hwnd, IDC_ABOUT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
        SetWindowPos(GetDlgItem(hwnd, IDC_ABOUT_ICON), nullptr, 0, 0, kAboutIconSide, kAboutIconSide,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    bool Command(int id) override {
        if (id == IDC_ABOUT_EMAIL) ShellExecuteA(nullptr, "open", kMailLink, nullptr, nullptr, SW_SHOWNORMAL);
        else if (id == IDC_ABOUT_HOMEPAGE) ShellExecuteA(nullptr, "open", kHomePage, nullptr, nullptr, SW_SHOWNORMAL);
        else return false;
        return true;
    }
    BOOL Message(UINT message, WPARAM wParam, LPARAM) override {
        if (message == WM_DESTROY && icon_) {
            DestroyIcon(icon_);
            icon_ = nullptr;
        }
        if (message == WM_SETCURSOR && hand_) {
            int id = GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
            if (id == IDC_ABOUT_EMAIL || id == IDC_ABOUT_HOMEPAGE) {
                SetCursor(hand_);
                SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
        }
        return FALSE;
    }
    const char *Hint(int id) const override {
        if (id == IDC_ABOUT_EMAIL) return kMailTip;
        if (id == IDC_ABOUT_HOMEPAGE) return kHomePageTip;
        return nullptr;
    }

private:
    HCURSOR hand_ = nullptr;
    HICON icon_ = nullptr;
};

std::string VersionString(const std::vector<char> &block, const char *prefix, const char *name) {
    char query[128];
    wsprintfA(query, "%s%s", prefix, name);
    char *value = nullptr;
    UINT size = 0;
    if (!VerQueryValueA(block.data(), query, reinterpret_cast<void **>(&value), &size) || !value || !size) return "";
    return value;
}

}  // namespace

void LoadAboutTexts() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (!size) return;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path, 0, size, block.data())) return;
    WORD *translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void **>(&translation),
                        &length) ||
        length < 4)
        return;
    char prefix[64];
    wsprintfA(prefix, "\\StringFileInfo\\%04X%04X\\", translation[0], translation[1]);
    std::string value = VersionString(block, prefix, "ProductName");
    if (!value.empty()) {
        gAbout.name = value;
        gAbout.caption = "About " + value;
    }
    if (!(value = VersionString(block, prefix, "ProductVersion")).empty()) gAbout.version = value;
    if (!(value = VersionString(block, prefix, "LegalCopyright")).empty()) gAbout.copyright = value;
    if (!(value = VersionString(block, prefix, "Comments")).empty()) gAbout.comments = value;
}

void ShowAboutBox() {
    AboutDialog about;
    about.Run(gMainForm->instance, IDD_ABOUT, gMainForm->hwnd);
}

bool EditCharWindowStyle(CharWindowSettings &values) {
    StyleDialog dialog;
    dialog.values = values;
    if (dialog.Run(gMainForm->instance, IDD_CHAR_STYLE, gMainForm->hwnd) != IDOK) return false;
    values = dialog.values;
    return true;
}

bool EditCharDefinition(FontChild *font, int code) {
    EditDialog dialog;
    FChar &ch = font->Chars[code];
    dialog.caption = EditDialogCaption(code, font->Caption());
    dialog.width = std::to_string(ch.GetWidth());
    dialog.strokes = StrokesToText(ch);
    if (dialog.Run(gMainForm->instance, IDD_EDIT_CHAR, gMainForm->hwnd) != IDOK) return false;
    ch = dialog.result;
    return true;
}
