#include "graph_state.h"

#include <cstdio>
#include <cstring>

#include "heap.h"
#include "memory.h"
#include "messages.h"
#include "problem_settings.h"
#include "settings.h"
#include "string_ids.h"
#include "workspace.h"

GraphicsElement gElementWorkCopy;
double gElementT;
GraphicsElement gElementDialogCopy;
int gNewElementKind;
double gElementCursorX, gElementCursorY;
GraphWindowState *gCurrentGraph;
GraphWindowState gGraphWorkCopy;

const char *const kElementKindNames[kElementKindCount] = {
    "Segment", "Circle", "Ellipse", "Arrow", "Text", "2-curve", "3-curve",
    "Special", "Data", "Fractal", "Axes", "Initial values", "Parameters"};

namespace {

void CopyText(char *&slot, const char *text) {
    if (!gOutOfMemory) SetNonEmptyStringCopy(slot, text);
}

// "x", "x[1]" and the like for the axis texts of a new window.
void SetAxisTexts(GraphWindowState *s) {
    // LoadTextResource shares one buffer: copy before loading the next.
    char x[16], first[32], second[32];
    std::snprintf(x, sizeof x, "%s", LoadTextResource(IDS_COLUMN_X));
    if (gDimension <= 1) {
        std::snprintf(first, sizeof first, "%s",
                      LoadTextResource(gProblemKind == kMap ? IDS_COLUMN_N : IDS_COLUMN_T));
        std::snprintf(second, sizeof second, "%s", x);
    } else if (gProblemKind == kSingleOde) {
        std::snprintf(first, sizeof first, "%s", x);
        std::snprintf(second, sizeof second, "%s[1]", x);
    } else {
        std::snprintf(first, sizeof first, "%s[1]", x);
        std::snprintf(second, sizeof second, "%s[2]", x);
    }
    CopyText(s->axisText[0], first);
    CopyText(s->axisText[1], second);
}

}  // namespace

int InitGraphState(GraphWindowState *s) {
    gOutOfMemory = 0;
    s->selectX = gDimension > 1 ? 1 : 0;
    s->selectY = s->selectX + 1;
    s->stepX = s->stepY = 0.01;
    s->angularStep = 15.0;
    s->zoomFactor = 10.0;
    s->xMin = s->yMin = -1;
    s->xMax = s->yMax = 1;
    s->continuousLine = gProblemKind != kMap;
    s->frequency = 1;
    s->cellLength = 24;
    s->markLength = 12;
    s->crossingError = 1e-5;
    s->backgroundColor = 0xFFFFFF;
    s->plotter.frame = 1;
    s->plotter.pen = 1;
    SetDefaultViewPoint(s->viewPoint);
    s->aspectMode = gAspectRatio;
    s->capture = gOutputMetafile;
    s->displayPenWidth = -1;
    s->bitmapMode = gOutputBitmap;
    s->currentElementIndex = -1;
    SetAxisTexts(s);
    if (gAxes) CopyText(s->axesLocation, "-1E10 0 1E10 0     0 -1E10 0 1E10");
    return !gOutOfMemory;
}

int gMetafileRecording;

void FreeDisplayList(GraphWindowState *state) {
    if (!state) return;
    if (!gMetafileRecording) {
        for (DisplayBlock *b = state->displayFirst; b;) {
            DisplayBlock *next = b->next;
            HeapRelease(b);
            b = next;
        }
        state->displayFirst = nullptr;
    }
    state->displayCurrent = nullptr;
    state->displayWrite = nullptr;
    state->displayBlockCount = 0;
    state->displayPenWidth = -1;
    state->displayPenColor = 0;
}

void FreeGraphState(GraphWindowState *s) {
    if (!s) return;
    FreeAndNull(s->title);
    FreeAndNull(s->linkTitle);
    FreeAndNull(s->axisText[0]);
    FreeAndNull(s->axisText[1]);
    FreeAndNull(s->axesLocation);
    FreeAndNull(s->conditionText);
    FreeAndNull(s->histogramCounts);
    FreeDisplayList(s);
    FreeAndNull(s->plotter.device);
    FreeAndNull(s->plotter.driver);
    FreeAndNull(s->print.epsFile);
    FreeAndNull(s->print.postProgram);
    FreeAndNull(s->print.postArguments);
    // A stream left open by a failed start would otherwise stay open.
    if (s->plotter.stream) std::fclose(s->plotter.stream);
    s->plotter.stream = nullptr;
    FreePlotterDriver(s);
    FreeGraphicsElements(s);
}

void SetElementDefaults() {
    GraphicsElement &e = gElementDialogCopy;
    const int k = gNewElementKind;
    e = GraphicsElement();
    e.kind = k;
    e.x = gElementCursorX;
    e.y = gElementCursorY;
    const GraphWindowState *g = gCurrentGraph;
    const double yUnit = g && g->clientMaxY ? (g->yMax - g->yMin) / g->clientMaxY : 0;
    const double xUnit = g && g->clientMaxX ? (g->xMax - g->xMin) / g->clientMaxX : 0;
    const double pixels = k == kElementAxes ? 12 : 16;
    if (k == kElementText || k == kElementAxes || k == kElementInitialValues ||
        k == kElementParameters) {
        e.size = pixels * yUnit;
        e.radius = pixels * xUnit;
    }
    e.end = k == kElementCircle || k == kElementEllipse ? 360 : 0;
    e.line = 1;
    switch (k) {
    case kElementText: e.steps = 1; break;
    case kElementFractal: e.steps = 0; break;
    case kElementAxes: e.steps = 2; break;
    case kElementInitialValues:
    case kElementParameters: e.steps = 4; break;
    default: e.steps = 100; break;
    }
}

void FreeElementContents(GraphicsElement *e) {
    FreeAndNull(e->text1);
    FreeAndNull(e->text2);
    FreeAndNull(e->text3);
    FreeAndNull(e->code1);
    FreeAndNull(e->code2);
    FreeAndNull(e->code3);
}

GraphicsElement *AddGraphicsElement(int flag) {
    GraphWindowState *g = gCurrentGraph;
    GraphicsElement source;
    if (flag && g->currentElement) {
        source = *g->currentElement;
    } else {
        SetElementDefaults();
        source = gElementDialogCopy;
        source.text1 = source.text2 = source.text3 = nullptr;
    }
    GraphicsElement *e = static_cast<GraphicsElement *>(AllocZeroed(sizeof(GraphicsElement)));
    if (!e) return nullptr;
    GraphicsElement *previous = g->currentElement;
    *e = source;
    e->code1 = e->code2 = e->code3 = nullptr;
    e->text1 = e->text2 = e->text3 = nullptr;
    if (flag) {
        SetNonEmptyStringCopy(e->text1, source.text1);
        SetNonEmptyStringCopy(e->text2, source.text2);
        SetNonEmptyStringCopy(e->text3, source.text3);
    }
    if (previous) {
        e->next = previous->next;
        previous->next = e;
    } else {
        e->next = g->elements;
        g->elements = e;
    }
    g->currentElement = e;
    ++g->elementCount;
    ++g->currentElementIndex;
    return e;
}

void FreeGraphicsElements(GraphWindowState *s) {
    if (!s) return;
    if (s->elements) gProblemChanged = 1;
    GraphicsElement *e = s->elements;
    while (e) {
        GraphicsElement *next = e->next;
        FreeElementContents(e);
        FreeAndNull(e);
        e = next;
    }
    s->elements = s->currentElement = nullptr;
    s->currentElementIndex = -1;
    s->elementCount = 0;
}
