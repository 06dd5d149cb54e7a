// Message boxes by string id. Every wrapper records the id it shows in
// gLastStringId (the help context of the box) and builds its text in a
// bounded buffer; Cancel in any box requests a stop of a running computation.
#pragma once

extern int gLastStringId;

// Answer of the last "Error in problem line" question (kIdYes or kIdNo), for
// the problem-file reader.
extern int gLastLineErrorAnswer;

// The text of string resource id in one shared buffer, valid until the next
// call; "" when there is none.
const char *LoadTextResource(int id);

// Shows text from its first non-blank character, with the Help button added.
// Returns the button; Cancel (2) sets gRunState.stopRequested.
int ShowMessageBox(const char *text, const char *caption, unsigned style);

int AskOkCancel(int id);                    // 1 for OK
int AskYesNoCancel(int id);                 // kIdYes, kIdNo or kIdCancel
int ShowErrorBox(int id);                   // 0
void ShowErrorBoxWithNumber(int id, int n); // id's text formatted with n
int ShowWarningBoxWithNumber(int id, int n);
int AskPercent(int id, double x);           // id's text with x * 0.01; 1 for Yes
int ShowErrorBoxFormatted(int id, ...);     // id's text formatted with the rest

constexpr int kMessageBufferSize = 256;
