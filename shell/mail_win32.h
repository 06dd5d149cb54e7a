// Mailing the problem file through the system's simple mail interface,
// loaded at run time.
#pragma once
#include <windows.h>

// The library and where the system says it has one: "MAPI32.DLL" and the
// "MAPI" value of section "Mail" in the Windows profile. Tests point these
// at stand-ins of their own.
struct MailSystem {
    const char *library;
    const char *profileSection;
};
extern MailSystem gMailSystem;

// True when MAPISendDocuments is known, or the profile value is non-zero and
// the library and its entry point are found (then they stay loaded).
bool IsMailAvailable();

// Command 107: writes the problem into a temporary folder of its own, hands
// the file to the mail interface and removes file and folder again. 1 when
// sent or cancelled by the user; else a message and 0.
int MailProblem(HWND owner);

// Frees the library (the program's end).
void UnloadMail();
