#include "text_window_state.h"

#include "memory.h"
#include "messages.h"
#include "string_ids.h"

TextWindowState gTextWorkCopy;

int InitTextWindowState(TextWindowState *s) {
    gOutOfMemory = 0;
    SetNonEmptyStringCopy(s->separator, LoadTextResource(IDS_DEFAULT_SEPARATOR));
    s->frequency = 1;
    s->crossingError = 1e-5;
    SetDefaultViewPoint(s->viewPoint);
    return !gOutOfMemory;
}

void FreeTextColumns(TextWindowState *s) {
    // The compiled columns belong to the compiler side; only their array is ours.
    for (int i = s->count - 1; i >= 0; --i) {
        if (s->expressions) FreeAndNull(s->expressions[i]);
        if (s->formats) FreeAndNull(s->formats[i]);
    }
    FreeAndNull(s->expressions);
    FreeAndNull(s->codes);
    FreeAndNull(s->formats);
    s->count = 0;
}

void FreeTextWindowState(TextWindowState *s) {
    if (!s) return;
    FreeAndNull(s->title);
    FreeTextColumns(s);
    FreeAndNull(s->separator);
    FreeAndNull(s->outputFile);
    FreeAndNull(s->condition);
    FreeAndNull(s->bins);
}
