// Menu commands of the settings dialogs.
#include "settings_commands.h"

#include <cstring>
#include <string>

#include "command_ids.h"
#include "described_dialog_win32.h"
#include "graph_window_win32.h"
#include "mathlink_win32.h"
#include "problem_settings.h"
#include "platform_win32.h"
#include "settings_tables.h"
#include "text_window_state.h"
#include "ui_lock.h"
#include "view_color_dialogs.h"

namespace {

HWND ActiveChild() {
    return gMdiClient ? reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDIGETACTIVE, 0, 0)) : nullptr;
}

bool ActiveIsText() {
    char cls[32] = {};
    HWND w = ActiveChild();
    return w && GetClassNameA(w, cls, sizeof cls) && lstrcmpiA(cls, "VR_Text") == 0;
}

// The link settings and the problem's initialization text as they are, to
// tell whether OK changed them.
struct MathLinkSnapshot {
    int on;
    MathLinkSettings settings;
    std::string initialization;
    explicit MathLinkSnapshot()
        : on(gMathLinkOn), settings(gMathLinkSettings), initialization(gMathematicaInit ? gMathematicaInit : "") {}
    bool operator!=(const MathLinkSnapshot &o) const {
        return on != o.on || std::memcmp(&settings, &o.settings, sizeof settings) != 0 ||
               initialization != o.initialization;
    }
};

// Dialog 820: on OK the section is written; changed settings unload the
// link, so that the next call opens it with them.
int RunMathematicaCommand(const SettingsDialogChoice &c) {
    // A call's message box pumps messages: its link stays until it is done.
    if (MathLinkInUse()) {
        MessageBeep(MB_ICONEXCLAMATION);
        return 0;
    }
    const MathLinkSnapshot before;
    const int result = RunSettingsDialog(c.table, c.dialogId, c.pages, c.pageCount, c.firstPage);
    if (result != 1) return result;
    if (MathLinkSnapshot() != before) UnloadMathLink();
    WriteMathLinkSettings();
    return result;
}

}  // namespace

int RunSettingsDialog(const DialogItem *table, int dialogId, const DialogPage *pages, int pageCount, int firstPage) {
    const bool definitions = dialogId == kDialogDefinitions;
    if (definitions) HideToolWindows();
    const int result = RunPagedDescribedDialog(table, dialogId, pages, pageCount, firstPage);
    if (definitions) RestoreToolWindows(1);
    return result;
}

int RunSettingsCommand(HWND owner, int command) {
    RegisterViewColorClasses();
    if (command == IDM_COLOR || command == IDM_VIEW_POINT) {
        HWND w = ActiveChild();
        GraphWindowState *state = w ? GraphStateOf(w) : nullptr;
        if (!state) {
            MessageBeep(MB_ICONEXCLAMATION);
            return 0;
        }
        SendMessageA(w, SyncStateMessage, 0, 0);
        const int result = command == IDM_COLOR ? ShowColorsDialog(owner, &gGraphWorkCopy)
                                          : ShowViewPointDialog(owner, &gGraphWorkCopy.viewPoint);
        if (result) {
            SendMessageA(w, SyncStateMessage, 1, 0);
            InvalidateRect(w, nullptr, TRUE);
        }
        return result;
    }
    SettingsDialogChoice c;
    if (!FindSettingsDialog(command, &c)) return -1;
    if ((c.target == kForGraph && !(ActiveChild() && GraphStateOf(ActiveChild()))) ||
        (c.target == kForText && !ActiveIsText())) {
        MessageBeep(MB_ICONEXCLAMATION);
        return 0;
    }
    if (c.dialogId == kDialogMathematica) return RunMathematicaCommand(c);
    int result;
    if (c.pages) result = RunSettingsDialog(c.table, c.dialogId, c.pages, c.pageCount, c.firstPage);
    else result = RunDescribedDialog(c.table, c.dialogId, c.helpContext);
    if (result && c.target == kForGraph) InvalidateRect(ActiveChild(), nullptr, TRUE);
    return result;
}
