// The described-dialog engine on real dialogs: DescribedDlgProc adapts the
// dialog's controls to the portable engine, stacks the pages of a tabbed
// dialog under a tab control, and runs the row lists' edits and spins.
#pragma once
#include <windows.h>

#include "described_dialog.h"
#include "modal_dialogs.h"

// The session of the described dialog that is open (one at a time); null
// when none is.
extern DialogSession *gOpenDialogSession;

INT_PTR CALLBACK DescribedDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);


// The controls of a dialog of one's own procedure, for the portable logic
// that works on DialogControls; the caller deletes it.
DialogControls *NewDialogControls(HWND dialog);

// One-page dialog: 1 after OK, 0 after Cancel.
int RunDescribedDialog(const DialogItem *table, int dialogId, int helpContext);
int RunPagedDescribedDialog(const DialogItem *table, int dialogId, const DialogPage *pages, int pageCount,
                            int firstPage);

// GetDlgItemText with trailing characters up to code 32 cut; the length.
int GetDlgItemTextTrimmed(HWND dialog, int id, char *buffer, int size);

// The frame's side of the dialogs on real windows (gDialogShell): the active
// child of the multi-document client, help topics, settings sections, the
// picture formats on the clipboard, the graph work copy's bitmap and plotter
// session. The entries that reach the frame's own routines (save question,
// toolbars, status font, recent files) are left to InstallWin32Platform.
void InstallWin32DialogShell();
// The picture formats dialog 500 offers (bits as availablePictureFormats);
// -1: those on the clipboard. A picture file offers its own format only.
extern int gPictureFormatsOffered;
