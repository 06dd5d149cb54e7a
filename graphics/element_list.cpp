#include <cstring>

#include "graphics_host.h"
#include "compile_problem.h"
#include "graph_elements.h"
#include "memory.h"
#include "problem_settings.h"


namespace {

GraphicsElement *ElementAtIndex(GraphWindowState *g, int index) {
    GraphicsElement *e = g->elements;
    for (int i = 0; e && i < index; ++i) e = e->next;
    return e;
}

GraphicsElement *PredecessorOf(GraphWindowState *g, const GraphicsElement *target) {
    GraphicsElement *p = g->elements;
    while (p && p->next != target) p = p->next;
    return p;
}

// Everything but the link changes places.
void SwapContents(GraphicsElement *a, GraphicsElement *b) {
    GraphicsElement t = *a;
    GraphicsElement *nextA = a->next, *nextB = b->next;
    *a = *b;
    *b = t;
    a->next = nextA;
    b->next = nextB;
}

}  // namespace

void SeekCurrentElement() {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    if (g->elementCount <= 0 || !g->elements) {
        g->currentElement = nullptr;
        g->currentElementIndex = -1;
        return;
    }
    int index = g->currentElementIndex;
    if (index > g->elementCount - 1) index = g->elementCount - 1;
    if (index < 0) index = 0;
    g->currentElementIndex = index;
    g->currentElement = ElementAtIndex(g, index);
}

void DeleteCurrentElement(GraphWindowState *g) {
    if (!g || !g->currentElement) return;
    GraphicsElement *e = g->currentElement;
    if (g->elements == e) {
        g->elements = e->next;
    } else if (GraphicsElement *p = PredecessorOf(g, e)) {
        p->next = e->next;
    } else {
        return;  // not in this list
    }
    g->currentElement = e->next;
    --g->elementCount;
    FreeElementContents(e);
    FreeAndNull(e);
}

int RemoveCurrentElement() {
    GraphWindowState *g = gCurrentGraph;
    if (!g || !g->currentElement) return 0;
    DeleteCurrentElement(g);
    gProblemChanged = 1;
    // The predecessor, or the new head when the first one went; an empty
    // list has no index at all.
    if (g->currentElementIndex > 0) --g->currentElementIndex;
    SeekCurrentElement();
    return 1;
}

int SelectNextElement() {
    GraphWindowState *g = gCurrentGraph;
    if (!g || g->currentElementIndex >= g->elementCount - 1) return 0;
    ++g->currentElementIndex;
    SeekCurrentElement();
    return 1;
}

int SelectPreviousElement() {
    GraphWindowState *g = gCurrentGraph;
    if (!g || g->currentElementIndex <= 0) return 0;
    --g->currentElementIndex;
    SeekCurrentElement();
    return 1;
}

int MoveElementBack() {
    GraphWindowState *g = gCurrentGraph;
    if (!g || !g->currentElement || g->currentElementIndex <= 0) return 0;
    GraphicsElement *p = PredecessorOf(g, g->currentElement);
    if (!p) return 0;
    SwapContents(p, g->currentElement);
    g->currentElement = p;
    --g->currentElementIndex;
    return 1;
}

int MoveElementForward() {
    GraphWindowState *g = gCurrentGraph;
    if (!g || !g->currentElement || !g->currentElement->next) return 0;
    GraphicsElement *n = g->currentElement->next;
    SwapContents(g->currentElement, n);
    g->currentElement = n;
    ++g->currentElementIndex;
    return 1;
}

void StoreElementDialogCopy() {
    GraphWindowState *g = gCurrentGraph;
    if (!g || !g->currentElement) return;
    GraphicsElement *next = g->currentElement->next;
    *g->currentElement = gElementDialogCopy;
    g->currentElement->next = next;
}

void LoadElementDialogCopy() {
    GraphWindowState *g = gCurrentGraph;
    if (!g || !g->currentElement) return;
    gElementDialogCopy = *g->currentElement;
}

GraphicsElement *CopyElementList(const GraphicsElement *head) {
    GraphicsElement *first = nullptr, **tail = &first;
    for (const GraphicsElement *e = head; e; e = e->next) {
        GraphicsElement *c = static_cast<GraphicsElement *>(AllocZeroed(sizeof(GraphicsElement)));
        if (!c) break;
        *c = *e;
        c->text1 = c->text2 = c->text3 = nullptr;
        c->code1 = c->code2 = c->code3 = nullptr;
        c->next = nullptr;
        SetNonEmptyStringCopy(c->text1, e->text1);
        SetNonEmptyStringCopy(c->text2, e->text2);
        SetNonEmptyStringCopy(c->text3, e->text3);
        *tail = c;
        tail = &c->next;
    }
    return first;
}

void FreeElementList(GraphicsElement *head) {
    while (head) {
        GraphicsElement *next = head->next;
        FreeElementContents(head);
        FreeAndNull(head);
        head = next;
    }
}

void FreeElementCodeOf(GraphWindowState *state) {
    if (!state) return;
    for (GraphicsElement *e = state->elements; e; e = e->next) {
        FreeAndNull(e->code1);
        FreeAndNull(e->code2);
        FreeAndNull(e->code3);
    }
}

void FreeElementCode() {
    // Empty slots are compiled again before the next drawing.
    if (gGraphicsHost.forEachGraphState)
        gGraphicsHost.forEachGraphState(FreeElementCodeOf);
    else
        FreeElementCodeOf(gCurrentGraph);
}

int CompileElementsOfCurrentGraph(int index) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return 1;
    int number = 0;
    for (GraphicsElement *e = g->elements; e; e = e->next, ++number) {
        if (index >= 0 && number != index) continue;
        if (e->kind == kElement2Curve || e->kind == kElement3Curve) {
            char **texts[3] = {&e->text1, &e->text2, &e->text3};
            void **codes[3] = {&e->code1, &e->code2, &e->code3};
            const int count = e->kind == kElement3Curve ? 3 : 2;
            for (int i = 0; i < count; ++i) {
                PcodeProgram *code = static_cast<PcodeProgram *>(*codes[i]);
                const int ok = CompileElementText(texts[i], &code, number);
                *codes[i] = code;
                if (!ok) return 0;
            }
        } else if (e->kind == kElementFractal && !e->code1) {
            double *lengths = nullptr, *angles = nullptr;
            // A fractal without lists draws nothing; its message was shown.
            e->steps = BuildFractalArrays(e->text1, e->text2, number, &lengths, &angles);
            e->code1 = lengths;
            e->code2 = angles;
        }
    }
    return 1;
}
