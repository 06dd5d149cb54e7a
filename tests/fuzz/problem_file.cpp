// Problem files: the text goes through the converter of older formats and
// the reader; a problem that loads is written, read back into a new problem
// and written again, and the two texts must be equal.
#include <cstring>
#include <string>

#include "fuzz_target.h"
#include "graph_state.h"
#include "memory.h"
#include "messages.h"
#include "platform.h"
#include "settings.h"
#include "platform_recorder.h"
#include "problem_file.h"
#include "problem_settings.h"
#include "text_window_state.h"
#include "window_host_double.h"
#include "workspace.h"

namespace {

WindowHostDouble *gHost;

// What the file commands do before a load: no windows, a new problem.
void NewProblem() {
    gHost->DestroyAll();
    FreeProblemWorkspace();
    ResetProblemSettings();
    gProblemKind = kSingleOde;
    gDimension = 2;
    gStackLength = 1000;
    gPcodeLength = 10000;
    gGraphWorkCopy = GraphWindowState();
    gTextWorkCopy = TextWindowState();
    gElementWorkCopy = GraphicsElement();
    gCurrentGraph = nullptr;
    if (!NewProblemWorkspace()) std::abort();
}

int Parse(const char *text, size_t size) {
    FreeAndNull(gProblemTextBuffer);
    gProblemTextBuffer = AllocTextBuffer(size);
    if (!gProblemTextBuffer) return -1;
    std::memcpy(gProblemTextBuffer, text, size);
    gProblemTextBuffer[size] = 0;
    return ParseProblemText();
}

bool Build(std::string &out) {
    if (!BuildProblemText(0)) return false;
    out.assign(gProblemTextBuffer, gProblemTextLength);
    FreeAndNull(gProblemTextBuffer);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (!gHost) {
        gHost = new WindowHostDouble;
        gHost->libraries = {"Lib"};
        gHost->libraryParams = {{{"p", 1}}};
        gHost->Install();
        std::strcpy(gIdentifier, "me");
    }
    gRecorder.Reset();
    gRecorder.defaultAnswer = kIdYes;  // read newer files; "correct" errors
    NewProblem();
    std::string first, second;
    const bool loaded = Parse(reinterpret_cast<const char *>(data), size) == kParseLoaded;
    if (loaded && Build(first)) {
        NewProblem();
        gRecorder.Reset();
        const int again = Parse(first.data(), first.size());
        if (again != kParseLoaded)
            std::fprintf(stderr, "written text does not load: line %u\n%s\n", gProblemErrorLine, first.c_str());
        FuzzCheck(again == kParseLoaded);
        FuzzCheck(Build(second));
        if (second != first) std::fprintf(stderr, "first:\n%s\nsecond:\n%s\n", first.c_str(), second.c_str());
        FuzzCheck(second == first);
    }
    FreeAndNull(gProblemTextBuffer);
    gHost->DestroyAll();
    return 0;
}
