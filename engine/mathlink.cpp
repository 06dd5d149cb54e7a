#include "mathlink.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "messages.h"
#include "problem_settings.h"
#include "string_ids.h"

int gMathLinkOn;
MathLinkSettings gMathLinkSettings;
MathLinkHost gMathLinkHost;
MathLinkState gMathLink;
unsigned gMathLinkAnswerTimeout = kMathLinkDefaultAnswerTimeout;

const char kMathLinkSection[] = "MathLink";

#define VR_INT_KEY(key, variable, max) {key, &(variable), max, nullptr, 0}
#define VR_TEXT_KEY(key, field) {key, nullptr, 0, gMathLinkSettings.field, sizeof gMathLinkSettings.field}
const MathLinkSettingKey kMathLinkSettingKeys[] = {
    VR_INT_KEY("On", gMathLinkOn, 1),
    VR_INT_KEY("MathLinkProt", gMathLinkSettings.configuration, kMathLinkConfigurationCount - 1),
    VR_INT_KEY("MathLinkMode", gMathLinkSettings.mode, kMathLinkLaunch),
    VR_TEXT_KEY("MathLinkDLL0", library[0]),
    VR_TEXT_KEY("MathLinkDLL1", library[1]),
    VR_TEXT_KEY("MathLinkDLL2", library[2]),
    VR_TEXT_KEY("MathLinkMLL0", protocolModule[0]),
    VR_TEXT_KEY("MathLinkMLL1", protocolModule[1]),
    VR_TEXT_KEY("MathLinkMLL2", protocolModule[2]),
    VR_TEXT_KEY("MathLinkPre0", before[0]),
    VR_TEXT_KEY("MathLinkEXE0", kernel),
    VR_TEXT_KEY("MathLinkPst0", after[0]),
    VR_TEXT_KEY("MathLinkName", linkName),
    VR_TEXT_KEY("MathLinkHost", linkHost),
    VR_TEXT_KEY("MathLinkArgs", arguments),
    VR_TEXT_KEY("MathLinkPre1", before[1]),
    VR_TEXT_KEY("MathLinkPre2", before[2]),
    VR_TEXT_KEY("MathLinkPst1", after[1]),
    VR_TEXT_KEY("MathLinkPst2", after[2]),
    VR_TEXT_KEY("MathLinkINI0", initialization[0]),
    VR_TEXT_KEY("MathLinkINI1", initialization[1]),
    VR_TEXT_KEY("MathLinkINI2", initialization[2]),
};
#undef VR_INT_KEY
#undef VR_TEXT_KEY
const int kMathLinkSettingKeyCount = sizeof kMathLinkSettingKeys / sizeof kMathLinkSettingKeys[0];

namespace {

constexpr double kErrorValue = std::numeric_limits<double>::infinity();

// Errors after which the link is of no further use: the next call opens a
// new one.
bool IsFatalLinkError(int e) { return e == 1 || e == 9 || e == 10 || e == 11; }

// A stored value outside the choices would index past the per-configuration
// settings: it counts as the first choice.
int Configuration() {
    const int c = gMathLinkSettings.configuration;
    return c >= 0 && c < kMathLinkConfigurationCount ? c : kMathLinkLocal;
}

void ShowWaitCursor() {
    if (gMathLink.cursorSaved) return;
    gMathLink.cursorSaved = 1;
    if (gMathLinkHost.showWaitCursor) gMathLinkHost.showWaitCursor();
}

void RestoreCursor() {
    if (!gMathLink.cursorSaved) return;
    gMathLink.cursorSaved = 0;
    if (gMathLinkHost.restoreCursor) gMathLinkHost.restoreCursor();
}

void FreeModule(void *&module) {
    if (module && gMathLinkHost.freeLibrary) gMathLinkHost.freeLibrary(module);
    module = nullptr;
}

void *LoadModule(const char *path) {
    return path[0] && gMathLinkHost.loadLibrary ? gMathLinkHost.loadLibrary(path) : nullptr;
}

// Resolves every entry; false when one of the required ones is missing.
bool ResolveEntries() {
    MathLinkApi &api = gMathLink.api;
    bool complete = true;
#define VR_MATHLINK_RESOLVE(name, result, params)                                      \
    api.name = reinterpret_cast<result(VR_PLUGIN_CALL *) params>(GetMathLinkProc(#name)); \
    complete = complete && api.name;
    VR_MATHLINK_ENTRIES(VR_MATHLINK_RESOLVE)
#undef VR_MATHLINK_RESOLVE
    api.Ready = reinterpret_cast<int(VR_PLUGIN_CALL *)(MathLinkHandle)>(GetMathLinkProc("Ready"));
    return complete;
}

void StartCommand(const char *commandLine) {
    if (commandLine[0] && gMathLinkHost.startCommand) gMathLinkHost.startCommand(commandLine);
}

// Mathematica input sent as Enter[text], its answer left to the kernel.
// false when a link error closed the link.
bool SendInitialization(const char *text) {
    if (!text || !text[0]) return true;
    const MathLinkApi &api = gMathLink.api;
    api.PutFunction(gMathLink.link, "Enter", 1);
    api.PutString(gMathLink.link, text);
    api.EndPacket(gMathLink.link);
    api.NewPacket(gMathLink.link);
    CheckMathLinkError();
    return gMathLink.link != nullptr;
}

// The argument vector of the current configuration, null-terminated, its
// texts in buffer. Returns the count.
constexpr int kMaxCustomArguments = 32;
struct ArgumentVector {
    char *argv[kMaxCustomArguments + 1];
    char buffer[kMathLinkPathSize + 1 + kMathLinkTextSize];
    char mode[16];
};

int BuildArguments(ArgumentVector &v) {
    const MathLinkSettings &s = gMathLinkSettings;
    int argc = 0;
    switch (Configuration()) {
    case kMathLinkLocal:
        std::snprintf(v.buffer, sizeof v.buffer, "%s %s", s.kernel, s.after[0]);
        v.argv[argc++] = const_cast<char *>(s.before[0]);
        v.argv[argc++] = v.buffer;
        break;
    case kMathLinkTcp: {
        const int mode = s.mode >= kMathLinkListen && s.mode <= kMathLinkLaunch ? s.mode : kMathLinkListen;
        std::snprintf(v.mode, sizeof v.mode, "%s", LoadTextResource(IDS_MATHLINK_MODE_LISTEN + mode));
        const char *words[] = {"-linkprotocol", "TCP", "-linkmode", v.mode,
                               "-linkname", s.linkName, "-linkhost", s.linkHost};
        for (const char *w : words) v.argv[argc++] = const_cast<char *>(w);
        break;
    }
    default:
        argc = gMathLink.api.StringToArgv(s.arguments, v.buffer, v.argv, kMaxCustomArguments);
        if (argc < 0 || argc > kMaxCustomArguments) argc = 0;
        break;
    }
    v.argv[argc] = nullptr;
    return argc;
}

bool OpenFailed() {
    RestoreCursor();
    return false;
}

// The kernel has something to read, or the link failed: MLNextPacket will
// not block. false when the bound passed first. Without MLReady or a clock
// the read simply blocks.
bool WaitForAnswer(unsigned start) {
    const MathLinkApi &api = gMathLink.api;
    if (!api.Ready || !gMathLinkHost.tickCount) return true;
    for (unsigned polls = 0;; ++polls) {
        if (api.Ready(gMathLink.link) || api.Error(gMathLink.link)) return true;
        if (gMathLinkHost.tickCount() - start >= gMathLinkAnswerTimeout) return false;
        // Quick answers are the rule: yield only at first, then sleep.
        if (gMathLinkHost.sleep) gMathLinkHost.sleep(polls < 1000 ? 0 : 1);
    }
}

// The kernel is told to end and the link closed, so that a late answer is
// never taken for the next call's.
void GiveUpOnKernel() {
    ShowErrorBoxFormatted(IDS_MATHLINK_NO_ANSWER, static_cast<int>(gMathLinkAnswerTimeout / 1000));
    gMathLink.api.PutMessage(gMathLink.link, kMathLinkTerminateMessage);
    CloseMathLinkKernel();
}

// The box holds kMessageBufferSize bytes: a longer kernel text is cut at its
// end, visibly.
void ShowKernelError(const char *text) {
    if (!text) text = "";
    const size_t formatLength = std::strlen(LoadTextResource(IDS_MATHLINK_ERROR));
    const size_t room = kMessageBufferSize - 1 - (formatLength > 2 ? formatLength - 2 : 0);
    char shortened[kMessageBufferSize];
    if (std::strlen(text) > room) {
        std::snprintf(shortened, sizeof shortened, "%.*s...", static_cast<int>(room - 3), text);
        text = shortened;
    }
    ShowErrorBoxFormatted(IDS_MATHLINK_ERROR, text);
}

}  // namespace

void *GetMathLinkProc(const char *name) {
    char full[64];
    if (!gMathLink.library || !gMathLinkHost.findProc) return nullptr;
    if (std::snprintf(full, sizeof full, "ML%s", name) >= static_cast<int>(sizeof full)) return nullptr;
    return gMathLinkHost.findProc(gMathLink.library, full);
}

int LoadMathLink() {
    UnloadMathLink();
    const int c = Configuration();
    gMathLink.library = LoadModule(gMathLinkSettings.library[c]);
    gMathLink.protocolModule = LoadModule(gMathLinkSettings.protocolModule[c]);
    if (!gMathLink.library || !gMathLink.protocolModule || !ResolveEntries()) {
        UnloadMathLink();
        return 0;
    }
    return 1;
}

int OpenMathLink() {
    ShowWaitCursor();
    if (!gMathLink.library && !LoadMathLink()) {
        ShowErrorBox(IDS_MATHLINK_NO_LIBRARIES);
        return OpenFailed();
    }
    const MathLinkApi &api = gMathLink.api;
    const int c = Configuration();
    ArgumentVector v;
    const int argc = BuildArguments(v);
    if (!gMathLink.env) gMathLink.env = api.Initialize(nullptr);
    if (!gMathLink.env) return OpenFailed();
    if (c != kMathLinkLocal) StartCommand(gMathLinkSettings.before[c]);
    gMathLink.link = api.Open(argc, v.argv);
    if (!gMathLink.link) {
        CloseMathLinkKernel();
        ShowErrorBox(IDS_MATHLINK_NO_KERNEL);
        return OpenFailed();
    }
    // An error that closes the link ends the opening: nothing more can be sent.
    if (!SendInitialization(gMathLinkSettings.initialization[c]) || !SendInitialization(gMathematicaInit))
        return OpenFailed();
    if (c != kMathLinkLocal) StartCommand(gMathLinkSettings.after[c]);
    return 1;
}

int BeginMathLinkCall(const char *name, int count) {
    ShowWaitCursor();
    if ((!gMathLink.env || !gMathLink.link) && !OpenMathLink()) return 0;
    gMathLink.callPending = 1;
    gMathLink.api.PutFunction(gMathLink.link, "N", 1);
    gMathLink.api.PutFunction(gMathLink.link, name, count);
    return 1;
}

void PutMathLinkArgument(double value) {
    if (gMathLink.link) gMathLink.api.PutDouble(gMathLink.link, value);
}

double FinishMathLinkCall() {
    double result = kErrorValue;
    if (gMathLink.link) {
        const MathLinkApi &api = gMathLink.api;
        MathLinkHandle link = gMathLink.link;
        api.EndPacket(link);
        const unsigned start = gMathLinkHost.tickCount ? gMathLinkHost.tickCount() : 0;
        bool answered = true;
        int packet = 0;
        while ((answered = WaitForAnswer(start)) && (packet = api.NextPacket(link)) != 0 &&
               packet != kMathLinkReturnPacket)
            api.NewPacket(link);
        if (!answered) {
            GiveUpOnKernel();
        } else if (packet != 0 || !api.Error(link)) {
            // A failed read explains itself through the error check below.
            const int type = api.GetType(link);
            if (type != kMathLinkTokenReal && type != kMathLinkTokenRealAlt) {
                ShowErrorBox(IDS_MATHLINK_NOT_REAL);
                api.NewPacket(link);
            } else if (!api.GetDouble(link, &result)) {
                result = kErrorValue;
            }
        }
        if (gMathLink.link && CheckMathLinkError()) result = kErrorValue;
    }
    gMathLink.callPending = 0;
    RestoreCursor();
    return result;
}

int CheckMathLinkError() {
    if (!gMathLink.link) return 0;
    const MathLinkApi &api = gMathLink.api;
    const int e = api.Error(gMathLink.link);
    if (e == 0) return 0;
    ShowKernelError(api.ErrorMessage(gMathLink.link));
    api.NewPacket(gMathLink.link);
    api.ClearError(gMathLink.link);
    if (IsFatalLinkError(e)) CloseMathLinkKernel();
    return 1;
}

void CloseMathLinkKernel() {
    const MathLinkApi &api = gMathLink.api;
    if (gMathLink.link) {
        api.NewPacket(gMathLink.link);
        api.PutFunction(gMathLink.link, "Exit", 0);
        api.EndPacket(gMathLink.link);
        api.Close(gMathLink.link);
        gMathLink.link = nullptr;
    }
    if (gMathLink.env) {
        api.Deinitialize(gMathLink.env);
        gMathLink.env = nullptr;
    }
}

void UnloadMathLink() {
    CloseMathLinkKernel();
    FreeModule(gMathLink.protocolModule);
    FreeModule(gMathLink.library);
    gMathLink.api = MathLinkApi{};
}
