// The link to a computer-algebra kernel: $name(x1, ..., xk) in an expression
// is sent to the kernel as N[name[x1, ..., xk]] and the real number that
// comes back is the call's value. The kernel is reached through a link
// library loaded at run time from the paths of settings section "MathLink",
// in one of three configurations. This part is portable: loading libraries,
// starting command lines and the wait cursor come through gMathLinkHost,
// which the Win32 side fills (win32/mathlink_win32.h) and tests replace.
#pragma once

#include "plugin_abi.h"

// ---- Settings of section "MathLink" (file 1). Integers default to 0 and
// texts to "". The configuration dialog binds its items to these variables
// and to gMathLinkOn, works on a copy, and on OK stores them and calls
// WriteMathLinkSettings; the frame unloads the link before the dialog runs.

// Key "On": while set, $name(args) calls compile. Off by default.
extern int gMathLinkOn;

enum MathLinkConfiguration : int {
    kMathLinkLocal = 0,   // launch a kernel program on this machine
    kMathLinkTcp = 1,     // a TCP link in one of three modes
    kMathLinkCustom = 2,  // an argument string of the user's own
};
constexpr int kMathLinkConfigurationCount = 3;

// Modes of the TCP configuration; their words are strings 1619-1621.
enum MathLinkMode : int { kMathLinkListen = 0, kMathLinkConnect = 1, kMathLinkLaunch = 2 };

constexpr int kMathLinkPathSize = 260;   // a path with its terminator
constexpr int kMathLinkTextSize = 1024;  // arguments, command lines, initialization texts

struct MathLinkSettings {
    int configuration;                                             // "MathLinkProt"
    int mode;                                                      // "MathLinkMode"
    char library[kMathLinkConfigurationCount][kMathLinkPathSize];  // "MathLinkDLL0".."2"
    char protocolModule[kMathLinkConfigurationCount][kMathLinkPathSize];  // "MathLinkMLL0".."2"
    // Index 0: the first argument of the local configuration ("MathLinkPre0");
    // 1 and 2: the command line started before the link opens.
    char before[kMathLinkConfigurationCount][kMathLinkTextSize];   // "MathLinkPre0".."2"
    // Index 0: the options after the kernel path ("MathLinkPst0"); 1 and 2:
    // the command line started once the link is open and initialised.
    char after[kMathLinkConfigurationCount][kMathLinkTextSize];    // "MathLinkPst0".."2"
    char kernel[kMathLinkPathSize];                                // "MathLinkEXE0"
    char linkName[kMathLinkTextSize];                              // "MathLinkName"
    char linkHost[kMathLinkTextSize];                              // "MathLinkHost"
    char arguments[kMathLinkTextSize];                             // "MathLinkArgs"
    char initialization[kMathLinkConfigurationCount][kMathLinkTextSize];  // "MathLinkINI0".."2"
};

extern MathLinkSettings gMathLinkSettings;

// One key of the section: an integer setting (value, with its largest
// allowed value) or a text setting (text of size bytes).
struct MathLinkSettingKey {
    const char *key;
    int *value;
    int maxValue;
    char *text;
    int size;
};

// Every key of the section, "On" first. Reading and writing walk this table.
extern const MathLinkSettingKey kMathLinkSettingKeys[];
extern const int kMathLinkSettingKeyCount;

extern const char kMathLinkSection[];  // "MathLink"

// ---- The link library's side, as the host calls it. Environments and links
// are the library's own objects, seen only through these handles.
struct MathLinkEnvRecord;
struct MathLinkRecord;
typedef MathLinkEnvRecord *MathLinkEnv;
typedef MathLinkRecord *MathLinkHandle;

// Token codes of MLGetType for a real number, the return packet of
// MLNextPacket, and the out-of-band message that asks a kernel to end.
constexpr int kMathLinkTokenReal = 42;
constexpr int kMathLinkTokenRealAlt = 82;
constexpr int kMathLinkReturnPacket = 3;
constexpr int kMathLinkTerminateMessage = 1;

// The entry points, exported as "ML" + name. ORDER MATHLINK ENTRIES: the
// table of resolved functions and the names looked up follow this list.
#define VR_MATHLINK_ENTRIES(X)                                                  \
    X(Initialize, MathLinkEnv, (void *parameters))                              \
    X(Deinitialize, void, (MathLinkEnv env))                                    \
    X(Open, MathLinkHandle, (int argc, char **argv))                            \
    X(Close, void, (MathLinkHandle link))                                       \
    X(GetType, int, (MathLinkHandle link))                                      \
    X(GetDouble, int, (MathLinkHandle link, double *value))                     \
    X(GetString, int, (MathLinkHandle link, const char **text))                 \
    X(DisownString, void, (MathLinkHandle link, const char *text))              \
    X(PutDouble, int, (MathLinkHandle link, double value))                      \
    X(PutString, int, (MathLinkHandle link, const char *text))                  \
    X(PutFunction, int, (MathLinkHandle link, const char *head, int count))     \
    X(NextPacket, int, (MathLinkHandle link))                                   \
    X(NewPacket, int, (MathLinkHandle link))                                    \
    X(EndPacket, int, (MathLinkHandle link))                                    \
    X(Error, int, (MathLinkHandle link))                                        \
    X(ClearError, int, (MathLinkHandle link))                                   \
    X(ErrorMessage, const char *, (MathLinkHandle link))                        \
    X(PutMessage, int, (MathLinkHandle link, int message))                      \
    X(StringToArgv, int, (const char *text, char *buffer, char **argv, int size))

struct MathLinkApi {
#define VR_MATHLINK_MEMBER(name, result, params) result(VR_PLUGIN_CALL *name) params;
    VR_MATHLINK_ENTRIES(VR_MATHLINK_MEMBER)
#undef VR_MATHLINK_MEMBER
    // "MLReady": not one of the required entries. When the library has it,
    // a kernel that does not answer within gMathLinkAnswerTimeout is given up
    // instead of blocking the program for ever.
    int(VR_PLUGIN_CALL *Ready)(MathLinkHandle link);
};

constexpr int kMathLinkEntryCount = 19;

// ---- What the link needs of the platform. Any entry may be null: without
// loadLibrary nothing loads; without tickCount or sleep there is no bound on
// the wait for an answer.
struct MathLinkHost {
    void *(*loadLibrary)(const char *path);  // null when it cannot be loaded
    void *(*findProc)(void *module, const char *name);
    void (*freeLibrary)(void *module);
    void (*startCommand)(const char *commandLine);  // shown normally, not waited for
    void (*showWaitCursor)();                       // saves the cursor in force
    void (*restoreCursor)();                        // puts the saved one back
    unsigned (*tickCount)();                        // milliseconds
    void (*sleep)(unsigned milliseconds);
};

extern MathLinkHost gMathLinkHost;

// How long a call waits for the kernel's answer, in milliseconds. The
// program pumps no messages while it waits, so this is the longest it can
// freeze; a kernel that takes longer is told to end and the link is closed.
constexpr unsigned kMathLinkDefaultAnswerTimeout = 60000;
extern unsigned gMathLinkAnswerTimeout;

// ---- The link's state.
struct MathLinkState {
    void *library;         // the link library
    void *protocolModule;  // its protocol module
    MathLinkEnv env;       // from MLInitialize
    MathLinkHandle link;   // from MLOpen
    int cursorSaved;       // the wait cursor is shown
    int callPending;       // between BeginMathLinkCall and FinishMathLinkCall
    MathLinkApi api;       // every entry set while the library is loaded
};

extern MathLinkState gMathLink;

// "ML" + name from the loaded library; null when absent.
void *GetMathLinkProc(const char *name);

// Unloads, then loads the library and protocol module of the current
// configuration and resolves the 19 entries. 0 when either file does not
// load or an entry is missing (everything is unloaded again).
int LoadMathLink();

// Loads the libraries when needed and opens the link with the argument
// vector of the current configuration, then sends the configuration's and
// the problem's initialization texts. 0 on failure, with message 10362 (no
// libraries) or 10363 (no kernel); a failing MLInitialize is silent.
int OpenMathLink();

// One call name(arguments): begin it (0 when no link could be opened), put
// the count arguments in order, then finish it for the result. Every failure
// yields +infinity, which ends the evaluation without a further message.
int BeginMathLinkCall(const char *name, int count);
void PutMathLinkArgument(double value);
double FinishMathLinkCall();

// A link error is shown (10365 with the library's text) and cleared; errors
// 1, 9, 10 and 11 close the link. 1 when there was an error.
int CheckMathLinkError();

// Tells the kernel to exit and closes the link and the environment.
void CloseMathLinkKernel();

// Closes the kernel and frees both libraries. At shut-down and before the
// settings change.
void UnloadMathLink();

// A call has begun and not finished: the frame must not unload the link (a
// message box of the call pumps messages).
inline int MathLinkInUse() { return gMathLink.callPending; }
