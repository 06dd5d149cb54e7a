// Dialog 700: edits one of the four extension lists of the shared settings.
#pragma once
#include <windows.h>

// Runs the dialog for kind (ExtensionListKind) modally over owner; 1 after
// OK, 0 after Cancel. The math-library kind unloads the libraries first and
// loads them again afterwards, whatever the result.
int RunExtensionListsDialog(HWND owner, int kind);
