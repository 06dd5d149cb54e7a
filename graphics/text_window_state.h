// The record every text (data) window owns and the working copy through
// which the problem file and the text-format dialogs reach it. Portable: the
// rich-edit control and the output file are held as plain handles.
#pragma once
#include <cstdint>

#include "graph_state.h"

struct TextWindowState {
    char *title;              // owned; "Title"
    int32_t count;            // columns
    char **expressions;       // count owned texts
    PcodeProgram **codes;     // count compiled programs
    char **formats;           // count owned format strings
    char *separator;          // owned; "Separator", escapes decoded at use
    uint32_t frequency;       // "Frequency"
    int32_t capture;          // "Capture" (machine-specific)
    char *outputFile;         // owned; "Output file" (machine-specific)
    void *file;               // open output file during a run
    int32_t poincare;         // "Poincare"
    char *condition;          // owned; "Condition"
    PcodeProgram *conditionCode;
    double crossingError;     // "Error"
    int32_t increasing, decreasing;
    int32_t average;          // "Average" (maps)
    uint32_t histogram;       // "Histogram" (maps)
    int32_t histogramPoints;
    int32_t *bins;            // owned
    int32_t binCount;
    double averageSum;
    ViewPoint viewPoint;
    int8_t sign;
    double previousTime, crossingTime;
    int32_t countdown;
    int32_t firstLineWritten;
    uint32_t lines;           // "Lines"
    WindowId control;         // the rich-edit control
    int32_t binaryKind;       // 0 text, 1 floats, 2 doubles
};

extern TextWindowState gTextWorkCopy;

// Fills a zeroed record with the defaults; 1, or 0 when an allocation failed.
int InitTextWindowState(TextWindowState *state);
// Frees the three column arrays with their texts; count 0.
void FreeTextColumns(TextWindowState *state);
// Releases everything the record owns; a null record is ignored.
void FreeTextWindowState(TextWindowState *state);
