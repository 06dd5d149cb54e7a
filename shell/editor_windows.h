// The two editor windows, "Project Notes" (0) and "All Settings" (1): top
// level windows around a rich-edit control and a status bar, whose text the
// frame applies to the problem when the editor closes; and the routines that
// move text in and out of rich-edit controls.
#pragma once
#include <windows.h>

constexpr int kNotesEditor = 0;
constexpr int kSettingsEditor = 1;
constexpr int kEditorCount = 2;
constexpr char kEditorClass[] = "VR_Edit";
// The most the control holds; a longer text is never stored cut.
constexpr LONG kEditorTextLimit = 0x100000;

bool RegisterEditorClass();

// Focuses the editor when it is open (restoring it when minimised); else
// opens it on its held text.
void OpenEditorWindow(int index);
// Commands 211 and 212: the notes, or the whole problem as problem-file text.
void OpenNotesEditor();
void OpenAllSettingsEditor();
// A problem text that failed at gProblemErrorLine (left in
// gProblemTextBuffer, which the editor takes over) opens in "All Settings"
// with the caret at the start of that line.
void OpenAllSettingsAtError();
// The command-line print: the problem text (taken from gProblemTextBuffer)
// shown in the "All settings" editor, printed, and the window closed.
void PrintProblemTextInEditor();
// Commands 180 and 181, posted by an editor that has closed.
void ApplyEditorText(int index);
// Before the program closes: open editors store their text and it is
// applied at once, so that the save question covers it. False when an
// editor stays open (its text refused, or opened again at an error line).
bool AcceptEditorsBeforeClose();
// Before the problem is replaced: both editors drop what they hold.
void AbandonEditorChanges();
HWND EditorWindow(int index);

// Rich-edit text transfer. GetRichEditText copies at most size - 1
// characters and ends the text; the count copied.
int GetRichEditText(HWND control, char *buffer, int size);
void SetRichEditText(HWND control, const char *text);
// Selects and scrolls into view; the selection's end.
LONG SelectRichEditRange(HWND control, LONG start, LONG end);
// "Line = %u  Col = %u" for the caret, or both ends of a selection.
void FormatEditorCaretPosition(HWND control, char *out, int size);
