#include "window_host_double.h"

#include <algorithm>

#include "problem_settings.h"

namespace {

// The installed double, which the record's entries serve.
WindowHostDouble *gInstalled;

}  // namespace

WindowHostDouble::~WindowHostDouble() {
    DestroyAll();
    if (gInstalled == this) Uninstall();
}

void WindowHostDouble::Install() {
    gInstalled = this;
    ProblemWindowHost &h = gProblemWindowHost;
    h.childrenTopFirst = [](WindowId *out, int max) { return gInstalled->ChildrenTopFirst(out, max); };
    h.childKind = [](WindowId w) { return gInstalled->ChildKind(w); };
    h.childNormalRect = [](WindowId w) { return gInstalled->ChildNormalRect(w); };
    h.childShowState = [](WindowId w) { return gInstalled->ChildShowState(w); };
    h.clientRect = [] { return gInstalled->ClientRect(); };
    h.createChild = [](int kind, const WindowPlacement *p) { return gInstalled->CreateChild(kind, p); };
    h.destroyChild = [](WindowId w) { gInstalled->DestroyChild(w); };
    h.syncState = [](WindowId w, int toWindow) { gInstalled->SyncState(w, toWindow); };
    h.setCaption = [](WindowId w, const char *text) { gInstalled->SetCaption(w, text); };
    h.graphTitle = [](WindowId w) { return gInstalled->GraphTitle(w); };
    h.bringToTop = [](WindowId w) { gInstalled->BringToTop(w); };
    h.graphSectionRead = nullptr;
    h.beginProblemText = [] { gInstalled->BeginProblemText(); };
    h.endProblemText = [] { gInstalled->EndProblemText(); };
    h.codeLibraryKey = [](int index) { return gInstalled->CodeLibraryKey(index); };
    h.selectCodeLibrary = nullptr;
    h.libraryParamName = nullptr;
    h.libraryParamValue = nullptr;
    if (!solverLibraryParams) {
        h.libraryParamName = [](int i) { return gInstalled->LibraryParamName(i); };
        h.libraryParamValue = [](int i) { return gInstalled->LibraryParamValue(i); };
    }
}

void WindowHostDouble::Uninstall() {
    gInstalled = nullptr;
    gProblemWindowHost = ProblemWindowHost{};
}

void WindowHostDouble::DestroyAll() {
    while (!children.empty()) DestroyChild(children.front().id);
}

FakeChild *WindowHostDouble::Find(WindowId w) {
    for (FakeChild &c : children)
        if (c.id == w) return &c;
    return nullptr;
}

WindowId WindowHostDouble::Add(int kind, const WindowRect *rect, int show) {
    WindowPlacement p{};
    if (rect) p = WindowPlacement{*rect, show};
    return CreateChild(kind, rect ? &p : nullptr);
}

std::vector<std::string> WindowHostDouble::CaptionsTopFirst() const {
    std::vector<std::string> out;
    for (const FakeChild &c : children) out.push_back(c.caption);
    return out;
}

int WindowHostDouble::ChildrenTopFirst(WindowId *out, int max) {
    int n = 0;
    for (const FakeChild &c : children)
        if (n < max) out[n++] = c.id;
    return n;
}

int WindowHostDouble::ChildKind(WindowId w) {
    FakeChild *c = Find(w);
    return c ? c->kind : kChildOther;
}

WindowRect WindowHostDouble::ChildNormalRect(WindowId w) { return Find(w)->rect; }
int WindowHostDouble::ChildShowState(WindowId w) { return Find(w)->showState; }

WindowId WindowHostDouble::CreateChild(int kind, const WindowPlacement *placement) {
    if (failCreate) return 0;
    FakeChild c{};
    c.id = nextId++;
    c.kind = kind;
    c.rect = placement ? placement->rect : WindowRect{20, 20, 400, 300};
    c.showState = placement ? placement->showState : 0;
    if (kind == kChildGraph) {
        c.graph = new GraphWindowState();
        InitGraphState(c.graph);
    } else {
        c.text = new TextWindowState();
        InitTextWindowState(c.text);
    }
    children.insert(children.begin(), c);  // a new child comes on top
    return c.id;
}

void WindowHostDouble::DestroyChild(WindowId w) {
    for (auto it = children.begin(); it != children.end(); ++it) {
        if (it->id != w) continue;
        if (it->graph) {
            FreeGraphState(it->graph);
            delete it->graph;
        }
        if (it->text) {
            FreeTextWindowState(it->text);
            delete it->text;
        }
        children.erase(it);
        return;
    }
}

void WindowHostDouble::SyncState(WindowId w, int toWindow) {
    FakeChild *c = Find(w);
    if (!c) return;
    if (c->graph) {
        if (toWindow) *c->graph = gGraphWorkCopy;
        else gGraphWorkCopy = *c->graph;
    } else if (c->text) {
        if (toWindow) *c->text = gTextWorkCopy;
        else gTextWorkCopy = *c->text;
    }
}

void WindowHostDouble::SetCaption(WindowId w, const char *text) {
    if (FakeChild *c = Find(w)) c->caption = text;
}

const char *WindowHostDouble::GraphTitle(WindowId w) {
    FakeChild *c = Find(w);
    return c && c->graph && c->graph->title ? c->graph->title : "";
}

void WindowHostDouble::BringToTop(WindowId w) {
    auto it = std::find_if(children.begin(), children.end(), [w](const FakeChild &c) { return c.id == w; });
    if (it != children.end()) std::rotate(children.begin(), it, it + 1);
}

const char *WindowHostDouble::CodeLibraryKey(int index) {
    return index >= 1 && index <= static_cast<int>(libraries.size()) ? libraries[index - 1].c_str() : nullptr;
}

const char *WindowHostDouble::LibraryParamName(int i) {
    const int k = gCodeLibraryIndex;
    if (k < 1 || k > static_cast<int>(libraryParams.size())) return nullptr;
    auto &params = libraryParams[k - 1];
    return i >= 0 && i < static_cast<int>(params.size()) ? params[i].first.c_str() : nullptr;
}

double *WindowHostDouble::LibraryParamValue(int i) {
    const int k = gCodeLibraryIndex;
    if (k < 1 || k > static_cast<int>(libraryParams.size())) return nullptr;
    auto &params = libraryParams[k - 1];
    return i >= 0 && i < static_cast<int>(params.size()) ? &params[i].second : nullptr;
}
