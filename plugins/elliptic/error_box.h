// Where the plug-in shows its one message. The library (win32/) shows a real
// box; tests link a recorder in its place.
#pragma once

void ShowEllipticErrorBox(const char *text, const char *caption);
