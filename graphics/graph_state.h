// The record every graph window owns, the working copy through which the
// settings dialogs and the problem file reach it, and the user graphics
// elements it carries. Portable: window, device-context and bitmap handles
// are held as 32-bit integers (the program is 32-bit) and colours as
// 32-bit 0x00BBGGRR values, so the problem model and its tests build
// without Win32.
#pragma once
#include <cstdio>
#include <cstdint>

#include "compiler.h"
#include "projection.h"

// A window handle as the core sees it; 0 = none.
typedef uint32_t WindowId;

// ---- Graphics elements

enum ElementKind {
    kElementSegment = 0, kElementCircle, kElementEllipse, kElementArrow, kElementText,
    kElement2Curve, kElement3Curve, kElementSpecial, kElementData, kElementFractal,
    kElementAxes, kElementInitialValues, kElementParameters,
    kElementKindCount  // 13
};

// Kind names, ORDER ElementKind; the same names go to problem files and the
// element clipboard.
extern const char *const kElementKindNames[kElementKindCount];

struct GraphicsElement {
    int32_t kind;
    double x, y;
    double size, radius;
    double begin, end;
    double direction;
    int32_t color;  // 0x00BBGGRR
    int32_t line;   // width / line type; negative: dashed pieces
    int32_t steps;
    char *text1, *text2, *text3;  // owned, may be null
    void *code1, *code2, *code3;  // compiled texts, owned; null when not compiled
    GraphicsElement *next;
};

// The element record the problem file, the clipboard and element drawing
// work through; gElementT follows it (the cell of the element variable "t").
extern GraphicsElement gElementWorkCopy;
extern double gElementT;
extern GraphicsElement gElementDialogCopy;
extern int gNewElementKind;
extern double gElementCursorX, gElementCursorY;

// ---- Plotter-driver and print fields a graph window keeps

struct PlotterDriver {
    int32_t frame;      // "Frame"
    int32_t pen;        // "Pen"
    int32_t width;      // "Width"
    int32_t speed;      // "Speed"
    int32_t lineType;   // "Line type"
    char *device;       // "Device", owned
    char *driver;       // "Driver", owned
    int32_t recording, sessionOpen, loaded;
    // The plotter window in device units and the world-to-plotter mapping
    // (graph_pipeline.h); pointX, pointY is the last point mapped.
    int32_t rangeXMin, rangeYMin, rangeXMax, rangeYMax;
    double scaleX, scaleY, offsetX, offsetY;
    int32_t pointX, pointY;
    // The description read from the driver file (plotter.h), all owned; a
    // null string sends nothing.
    std::FILE *stream;  // the open "Device" while commands flow
    int32_t jobDepth;   // Prolog blocks written and not yet closed
    int32_t prologCount, epilogCount, typesCount;
    char **prolog, **epilog, **types;
    char *onString, *offString, *movetoFormat, *linetoFormat, *pointFormat, *charString;
    char *speedFormat, *colorFormat, *penFormat, *widthFormat, *ejectString, *clearString;
};

struct PrintSettings {
    int32_t ownSettings;  // "Print Info"
    int32_t totalX, totalY;
    int32_t leftMargin, printWidth, topMargin, printHeight;
    int32_t unit, mode, pixelsPerPoint, basicWidth, frameWidth;
    double minDistance;
    int32_t eps, invert, includeElements, preserveAspect, rotate;
    char *epsFile;  // owned
    int32_t postProcess;
    char *postProgram, *postArguments;  // owned
    int32_t postDelete;
};

// ---- The window's record

// The window's display list is a chain of these (display_list.h).
constexpr int kDisplayBlockBytes = 10240;
struct DisplayBlock {
    unsigned char records[kDisplayBlockBytes];
    DisplayBlock *next;  // null in the newest block
};
// While a metafile picture is recorded for a file, its replay still reads
// the blocks: FreeDisplayList then leaves them allocated and linked.
extern int gMetafileRecording;

struct GraphWindowState {
    double xMin, xMax, yMin, yMax;
    int32_t deviceX, deviceY;
    int32_t clientMaxX, clientMaxY;
    double scaleX, scaleY, offsetX, offsetY;
    int32_t penColor, penWidth;
    int32_t penUpPending;
    DisplayBlock *displayFirst, *displayCurrent;
    unsigned char *displayWrite;
    int32_t capture;
    int32_t displayBlockCount;
    // The pen of the last pen record; width -1 before the first.
    int32_t displayPenColor, displayPenWidth;
    int32_t bitmapMode;
    uint32_t memoryDc;       // HDC
    uint32_t savedDcBitmap;  // HBITMAP
    int32_t caretX, caretY;
    int32_t mouseX, mouseY;
    char *title;      // owned
    char *linkTitle;  // owned; pending link read from a problem file
    WindowId linkedWindow;
    double savedRange[4];
    int32_t zoomed;
    char *axisText[2];  // owned
    PcodeProgram *axisCode[2];  // the compiler's
    int32_t continuousLine;
    int32_t frequency;
    int32_t directionField;
    int32_t cellLength, markLength;
    int32_t directionFieldPending;
    int32_t drawingColor, drawingWidth;
    int32_t gridColor, gridWidth;
    int32_t directionFieldColor, directionFieldWidth;
    int32_t backgroundColor;
    char *axesLocation;  // owned
    int32_t aspectMode;
    int32_t poincareSection;
    char *conditionText;  // owned
    PcodeProgram *conditionCode;
    double crossingError;
    int32_t increasing, decreasing;
    uint32_t directPower, inversePower;
    uint32_t histogramPeriod;
    int32_t average;
    uint32_t *histogramCounts;  // owned
    int32_t histogramPoints;
    int32_t powerCountdown, powerToggle;
    double averageSum;
    int32_t histogramBins;
    int32_t selectX, selectY;
    double stepX, stepY;
    double angularStep;
    double zoomFactor;
    int32_t fractalOrder;
    int32_t plotterOutput;
    PlotterDriver plotter;
    double lastPoint[2];
    int32_t hasPreviousPoint;
    ViewPoint viewPoint;
    int8_t conditionSign;
    double previousTime;
    double crossingTime;
    int32_t frequencyCountdown;
    int32_t previousDevice[2], previousPlotter[2];
    int32_t repaintPending;
    GraphicsElement *elements, *currentElement;
    int32_t currentElementIndex, elementCount;
    PrintSettings print;
    int32_t fixedWidth, fixedHeight;
    int32_t animating;
};

extern GraphWindowState *gCurrentGraph;
extern GraphWindowState gGraphWorkCopy;

// Fills a zeroed record with the defaults of a new window of the current
// problem; 1, or 0 when an allocation failed (gOutOfMemory set).
int InitGraphState(GraphWindowState *state);
// Releases everything the record owns; a null record is ignored.
void FreeGraphState(GraphWindowState *state);
// Releases every block of a record's display list.
void FreeDisplayList(GraphWindowState *state);
// Releases the driver's strings and clears the plotter flags.
void FreePlotterDriver(GraphWindowState *state);

// ---- Element list of gCurrentGraph

// Fills gElementDialogCopy with the defaults of gNewElementKind.
void SetElementDefaults();
// Inserts a new element after the current one and makes it current: flag 1
// copies the current element (texts duplicated), flag 0 takes the defaults
// of gNewElementKind with empty texts. Returns the element, or null when
// the allocation failed (list unchanged).
GraphicsElement *AddGraphicsElement(int flag);
// Releases all elements of the record; marks the problem changed when there
// were any.
void FreeGraphicsElements(GraphWindowState *state);
// Releases one element's texts and code blocks (not the record).
void FreeElementContents(GraphicsElement *e);
