// The clipboard's window and element texts: the first byte picks which.
// A text that makes a window (or inserts an element) is copied again as
// the clipboard would, pasted, and copied once more: the two copies must
// be equal (a window's placement moves by 10 pixels each time, so only
// the bodies after the header line are compared).
#include <cstring>
#include <string>

#include "fuzz_target.h"
#include "graph_elements.h"
#include "graph_state.h"
#include "memory.h"
#include "platform.h"
#include "platform_recorder.h"
#include "problem_file.h"
#include "problem_settings.h"
#include "settings.h"
#include "text_window_state.h"
#include "window_host_double.h"
#include "workspace.h"

namespace {

WindowHostDouble *gHost;

void Give(const char *text, size_t size) {
    FreeAndNull(gProblemTextBuffer);
    gProblemTextBuffer = AllocTextBuffer(size);
    if (!gProblemTextBuffer) std::abort();
    std::memcpy(gProblemTextBuffer, text, size);
    gProblemTextBuffer[size] = 0;
}

std::string Taken() {
    std::string s = gProblemTextBuffer ? std::string(gProblemTextBuffer, gProblemTextLength) : "";
    FreeAndNull(gProblemTextBuffer);
    return s;
}

std::string Body(const std::string &section) {
    const size_t header = section.find("window]");
    const size_t eol = header == std::string::npos ? header : section.find("\r\n", header);
    return eol == std::string::npos ? section : section.substr(eol + 2);
}

void Reset() {
    gHost->DestroyAll();
    FreeProblemWorkspace();
    ResetProblemSettings();
    gProblemKind = kOdeSystem;
    gDimension = 2;
    gStackLength = 1000;
    gPcodeLength = 10000;
    gGraphWorkCopy = GraphWindowState();
    gTextWorkCopy = TextWindowState();
    gElementWorkCopy = GraphicsElement();
    gElementDialogCopy = GraphicsElement();
    gCurrentGraph = nullptr;
    gNewElementKind = 0;
    if (!NewProblemWorkspace()) std::abort();
}

std::string SectionOf(WindowId w) {
    FuzzCheck(BuildWindowSectionText(w) == 1);
    return Taken();
}

void WindowRoundTrip(const char *text, size_t size) {
    Give(text, size);
    CreateWindowFromSection();
    FuzzCheck(gProblemTextBuffer == nullptr);
    if (gHost->children.empty()) return;
    const std::string first = SectionOf(gHost->children[0].id);
    gRecorder.Reset();
    Give(first.data(), first.size());
    FuzzCheck(CreateWindowFromSection() == 1);
    FuzzCheck(gHost->children.size() == 2);
    const std::string second = SectionOf(gHost->children[0].id);
    if (Body(second) != Body(first)) std::fprintf(stderr, "first:\n%s\nsecond:\n%s\n", first.c_str(), second.c_str());
    FuzzCheck(Body(second) == Body(first));
}

void ElementRoundTrip(const char *text, size_t size) {
    const WindowRect rect{0, 0, 400, 300};
    WindowId w = gHost->Add(kChildGraph, &rect);
    GraphWindowState *g = gHost->Find(w)->graph;
    gCurrentGraph = g;
    gNewElementKind = kElementCircle;
    AddGraphicsElement(0);
    Give(text, size);
    ParseElementText();
    FuzzCheck(gProblemTextBuffer == nullptr);
    if (g->elementCount == 1) return;
    FuzzCheck(g->elementCount == 2 && g->currentElement);
    FuzzCheck(BuildElementText(g->currentElement) == 1);
    const std::string first = Taken();
    gRecorder.Reset();
    Give(first.data(), first.size());
    FuzzCheck(ParseElementText() == 1);
    FuzzCheck(g->elementCount == 3);
    FuzzCheck(BuildElementText(g->currentElement) == 1);
    const std::string second = Taken();
    if (second != first) std::fprintf(stderr, "first:\n%s\nsecond:\n%s\n", first.c_str(), second.c_str());
    FuzzCheck(second == first);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    if (!gHost) {
        gHost = new WindowHostDouble;
        gHost->Install();
    }
    gRecorder.Reset();
    gRecorder.defaultAnswer = kIdNo;  // line errors are not corrected
    Reset();
    const char *text = reinterpret_cast<const char *>(data + 1);
    if (data[0] & 1)
        ElementRoundTrip(text, size - 1);
    else
        WindowRoundTrip(text, size - 1);
    FreeAndNull(gProblemTextBuffer);
    gCurrentGraph = nullptr;
    gHost->DestroyAll();
    return 0;
}
