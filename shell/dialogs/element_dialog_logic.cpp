#include "element_dialog_logic.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "graph_elements.h"
#include "memory.h"
#include "messages.h"
#include "problem_settings.h"
#include "resource_ids.h"
#include "string_ids.h"

namespace {

// Windows notification codes the dialog acts on.
constexpr int kEditChange = 0x300;   // EN_CHANGE
constexpr int kComboChange = 1;      // CBN_SELCHANGE

constexpr int kFirstDouble = 3, kLastDouble = 9, kColorField = 10, kLineField = 11, kStepsField = 12;

double GraphicsElement::*const kDoubles[] = {
    &GraphicsElement::x,     &GraphicsElement::y,   &GraphicsElement::size,      &GraphicsElement::radius,
    &GraphicsElement::begin, &GraphicsElement::end, &GraphicsElement::direction,
};
char *GraphicsElement::*const kTexts[] = {&GraphicsElement::text1, &GraphicsElement::text2, &GraphicsElement::text3};

GraphicsElement *Current() { return gCurrentGraph ? gCurrentGraph->currentElement : nullptr; }

std::string Label(int kind, int field) {
    const char *text = LoadTextResource(ElementFieldStringId(kind, field));
    return text ? text : "";
}

std::string IntText(int32_t v) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(v));
    return buffer;
}

// Every control between the arrows and the clipboard buttons.
void ShowAll(DialogControls &c, bool on) {
    for (int id = IDC_ELEMENT_NEXT; id <= IDC_ELEMENT_FILE_NAME; ++id) c.Show(id, on);
}

void FillWithElement(ElementDialog &d, const GraphicsElement &e, bool rewriteNumber) {
    DialogControls &c = *d.controls;
    const GraphWindowState *g = d.graph;
    for (int id = IDC_ELEMENT_NEXT; id <= IDC_ELEMENT_KIND; ++id) c.Show(id, true);
    const bool hasNext = g->currentElementIndex + 1 < g->elementCount, hasPrevious = g->currentElementIndex > 0;
    c.Enable(IDC_ELEMENT_NEXT, hasNext);
    c.Enable(IDC_ELEMENT_FORWARD, hasNext);
    c.Enable(IDC_ELEMENT_PREVIOUS, hasPrevious);
    c.Enable(IDC_ELEMENT_BACK, hasPrevious);
    if (rewriteNumber) c.SetText(IDC_ELEMENT_NUMBER, IntText(g->currentElementIndex + 1));
    char count[64];
    const char *format = LoadTextResource(IDS_ELEMENT_COUNT_OF);
    std::snprintf(count, sizeof count, format && *format ? format : "of %d", static_cast<int>(g->elementCount));
    c.SetText(IDC_ELEMENT_COUNT, count);
    const int kind = e.kind >= 0 && e.kind < kElementKindCount ? e.kind : 0;
    c.SetComboSelection(IDC_ELEMENT_KIND, kind);
    for (int f = 0; f < kElementFieldCount; ++f) {
        const std::string label = Label(kind, f);
        if (!label.empty()) c.SetText(ElementFieldLabelId(f), label);
        c.Show(ElementFieldLabelId(f), !label.empty());
        c.Show(ElementFieldEditId(f), !label.empty());
    }
    const bool data = kind == kElementData;
    c.Show(IDC_ELEMENT_FILE, data);
    c.Show(IDC_ELEMENT_FILE_NAME, data);
    c.Show(IDC_ELEMENT_TO_CLIPBOARD, true);
    c.Show(IDC_ELEMENT_FROM_CLIPBOARD, true);
    for (int f = 0; f < 3; ++f) c.SetText(ElementFieldEditId(f), e.*kTexts[f] ? e.*kTexts[f] : "");
    c.SetText(IDC_ELEMENT_FILE_NAME, e.text1 ? e.text1 : "");
    for (int f = kFirstDouble; f <= kLastDouble; ++f)
        c.SetText(ElementFieldEditId(f), FormatDialogDouble(e.*kDoubles[f - kFirstDouble]));
    c.SetText(ElementFieldEditId(kLineField), IntText(e.line));
    c.SetText(ElementFieldEditId(kStepsField), IntText(e.steps));
}

void FillEmpty(DialogControls &c) {
    ShowAll(c, false);
    c.Show(IDC_ELEMENT_NEW, true);
    c.Show(IDC_ELEMENT_FROM_CLIPBOARD, true);
}

// Field f refused: its control focused, the message shown.
bool Refuse(ElementDialog &d, int id, int messageId, const std::string &text) {
    d.controls->Focus(id);
    d.controls->Beep();
    ShowErrorBoxFormatted(messageId, text.c_str());
    d.controls->Focus(id);
    return false;
}

// Store before a move: the action is refused when a field is refused.
bool Store(ElementDialog &d) { return ReadElementDialog(d); }

void Refill(ElementDialog &d) {
    SeekCurrentElement();
    FillElementDialog(d, true);
}

void AddAndFill(ElementDialog &d, int flag) {
    if (!Store(d)) return;
    AddGraphicsElement(flag);
    Refill(d);
}

void GoToNumber(ElementDialog &d) {
    const std::string text = d.controls->Text(IDC_ELEMENT_NUMBER);
    char *end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || end == text.c_str()) return;  // a lone sign while typing
    if (!Store(d)) return;
    GraphWindowState *g = d.graph;
    long index = n - 1;
    if (index > g->elementCount - 1) index = g->elementCount - 1;
    if (index < 0) index = 0;
    g->currentElementIndex = static_cast<int32_t>(index);
    SeekCurrentElement();
    FillElementDialog(d, false);
}

}  // namespace

int ElementFieldLabelId(int field) { return IDC_ELEMENT_LABEL_FIRST + 2 * field; }
int ElementFieldEditId(int field) { return IDC_ELEMENT_EDIT_FIRST + 2 * field; }
int ElementFieldStringId(int kind, int field) { return kElementLabelStrings + 16 * kind + field; }

bool BeginElementDialog(ElementDialog &d, DialogControls *controls, const ElementDialogHooks &hooks) {
    GraphWindowState *g = gCurrentGraph;
    if (!g || d.open) return false;
    d.controls = controls;
    d.hooks = hooks;
    d.graph = g;
    d.savedList = g->elements;
    d.savedCurrent = g->currentElement;
    d.savedCount = g->elementCount;
    d.savedIndex = g->currentElementIndex;
    d.savedChanged = gProblemChanged;
    // A failed copy ends at that element: the count follows what was copied.
    g->elements = CopyElementList(d.savedList);
    int copied = 0;
    for (GraphicsElement *e = g->elements; e; e = e->next) ++copied;
    g->elementCount = copied;
    g->currentElement = nullptr;
    d.open = true;
    gElementDialogOpen = 1;
    controls->ClearCombo(IDC_ELEMENT_KIND);
    for (const char *name : kElementKindNames) controls->AddComboString(IDC_ELEMENT_KIND, name);
    controls->Enable(IDC_ELEMENT_TO_CLIPBOARD, hooks.copyToClipboard != nullptr);
    controls->Enable(IDC_ELEMENT_FROM_CLIPBOARD, hooks.pasteFromClipboard != nullptr);
    controls->Enable(IDC_ELEMENT_COLOR, hooks.chooseColor != nullptr);
    controls->Enable(IDC_ELEMENT_FILE, hooks.askFileName != nullptr);
    controls->Enable(IDC_ELEMENT_NEW, hooks.askNewKind != nullptr);
    Refill(d);
    return true;
}

void FillElementDialog(ElementDialog &d, bool rewriteNumber) {
    DialogControls &c = *d.controls;
    d.filling = true;
    if (GraphicsElement *e = Current()) {
        LoadElementDialogCopy();
        FillWithElement(d, *e, rewriteNumber);
    } else {
        FillEmpty(c);
    }
    d.filling = false;
    if (d.hooks.repaintPreview) d.hooks.repaintPreview();
}

bool ReadElementDialog(ElementDialog &d) {
    DialogControls &c = *d.controls;
    GraphicsElement *current = Current();
    if (!current || !c.Enabled(IDC_ELEMENT_KIND)) return true;
    GraphicsElement e = *current;
    const int kind = c.ComboSelection(IDC_ELEMENT_KIND);
    if (kind >= 0 && kind < kElementKindCount) e.kind = kind;
    // Every check first, so that a refused field stores nothing.
    std::string texts[3];
    for (int f = 0; f < 3; ++f) {
        // A Data element's name is in the file-name row the dialog shows.
        const int id = f == 0 && current->kind == kElementData ? IDC_ELEMENT_FILE_NAME : ElementFieldEditId(f);
        texts[f] = c.Text(id);
        if (!DialogTextStorable(texts[f])) return Refuse(d, id, IDS_DIALOG_CONTROL_CHARACTER, "");
    }
    double values[kLastDouble - kFirstDouble + 1];
    for (int f = kFirstDouble; f <= kLastDouble; ++f) {
        const int id = ElementFieldEditId(f);
        const std::string text = c.Text(id);
        double &v = values[f - kFirstDouble];
        v = e.*kDoubles[f - kFirstDouble];
        // The shown text of the value keeps its every digit: "%.15lg" would
        // round a value that nobody touched.
        if (text == FormatDialogDouble(v)) continue;
        if (!ParseDialogDouble(text, &v)) return Refuse(d, id, IDS_DIALOG_NOT_A_NUMBER, text);
    }
    int32_t line = e.line, steps = e.steps;
    const std::string lineText = c.Text(ElementFieldEditId(kLineField));
    if (!ParseDialogInt(lineText, &line)) return Refuse(d, ElementFieldEditId(kLineField), IDS_DIALOG_NOT_AN_INTEGER, lineText);
    const std::string stepsText = c.Text(ElementFieldEditId(kStepsField));
    if (!ParseDialogInt(stepsText, &steps))
        return Refuse(d, ElementFieldEditId(kStepsField), IDS_DIALOG_NOT_AN_INTEGER, stepsText);

    gElementDialogCopy = e;
    GraphicsElement &out = gElementDialogCopy;
    // The texts may have changed: their code is compiled again.
    FreeAndNull(out.code1);
    FreeAndNull(out.code2);
    FreeAndNull(out.code3);
    for (int f = 0; f < 3; ++f) {
        char *&slot = out.*kTexts[f];
        if (slot && texts[f] == slot) continue;
        FreeAndNull(slot);
        SetNonEmptyStringCopy(slot, texts[f].c_str());
    }
    for (int f = kFirstDouble; f <= kLastDouble; ++f) out.*kDoubles[f - kFirstDouble] = values[f - kFirstDouble];
    out.line = line;
    out.steps = steps;
    out.color = current->color;  // the chooser edits the element itself
    StoreElementDialogCopy();
    return true;
}

int ElementDialogCommand(ElementDialog &d, int id, int notification) {
    GraphWindowState *g = d.graph;
    gCurrentGraph = g;  // the list operations work on it
    switch (id) {
    case IDC_ELEMENT_NEXT:
        if (g->currentElementIndex < g->elementCount - 1 && Store(d)) {
            ++g->currentElementIndex;
            Refill(d);
        }
        break;
    case IDC_ELEMENT_PREVIOUS:
        if (g->currentElementIndex > 0 && Store(d)) {
            --g->currentElementIndex;
            Refill(d);
        }
        break;
    case IDC_ELEMENT_BACK:
        if (g->currentElementIndex > 0 && Store(d) && MoveElementBack()) Refill(d);
        break;
    case IDC_ELEMENT_FORWARD:
        if (g->currentElementIndex < g->elementCount - 1 && Store(d) && MoveElementForward()) Refill(d);
        break;
    case IDC_ELEMENT_NEW:
        if (d.hooks.askNewKind && d.hooks.askNewKind() == 1) AddAndFill(d, 0);
        break;
    case IDC_ELEMENT_COPY: AddAndFill(d, 1); break;
    case IDC_ELEMENT_REMOVE:
        RemoveCurrentElement();
        Refill(d);
        break;
    case IDC_ELEMENT_ERASE_ALL:
        FreeGraphicsElements(g);
        Refill(d);
        break;
    case IDC_ELEMENT_NUMBER:
        if (notification == kEditChange && !d.filling) GoToNumber(d);
        break;
    case IDC_ELEMENT_KIND:
        if (notification == kComboChange && !d.filling) {
            if (Store(d)) {
                FillElementDialog(d, true);
            } else if (GraphicsElement *e = Current()) {
                d.filling = true;
                d.controls->SetComboSelection(IDC_ELEMENT_KIND, e->kind);
                d.filling = false;
            }
        }
        break;
    case IDC_ELEMENT_FILE:
        if (d.hooks.askFileName) {
            std::string name = d.controls->Text(IDC_ELEMENT_FILE_NAME);
            if (d.hooks.askFileName(&name)) d.controls->SetText(IDC_ELEMENT_FILE_NAME, name);
        }
        break;
    case IDC_ELEMENT_COLOR:
        if (GraphicsElement *e = Current())
            if (d.hooks.chooseColor && d.hooks.chooseColor(&e->color) && d.hooks.repaintPreview)
                d.hooks.repaintPreview();
        break;
    case IDC_ELEMENT_TO_CLIPBOARD:
        if (GraphicsElement *e = Current())
            if (d.hooks.copyToClipboard && Store(d)) d.hooks.copyToClipboard(e);
        break;
    case IDC_ELEMENT_FROM_CLIPBOARD:
        // The pasted element goes after the current one and becomes current.
        if (d.hooks.pasteFromClipboard && Store(d) && d.hooks.pasteFromClipboard()) Refill(d);
        break;
    case kElementOk:
        if (!Store(d)) break;
        gProblemChanged = 1;
        return 1;
    case kElementCancel:  // and the close box
        return 0;
    case kElementHelpButton:
        if (d.hooks.showHelp) d.hooks.showHelp(kElementDialogHelp);
        break;
    default: break;
    }
    return -1;
}

void EndElementDialog(ElementDialog &d, int ok) {
    if (!d.open) return;
    GraphWindowState *g = d.graph;
    if (ok) {
        FreeElementList(d.savedList);
    } else {
        FreeElementList(g->elements);
        g->elements = d.savedList;
        g->elementCount = d.savedCount;
        g->currentElementIndex = d.savedIndex;
        gProblemChanged = d.savedChanged;
    }
    g->currentElement = nullptr;
    d.savedList = d.savedCurrent = nullptr;
    d.open = false;
    gElementDialogOpen = 0;
    GraphWindowState *saved = gCurrentGraph;
    gCurrentGraph = g;
    SeekCurrentElement();
    gCurrentGraph = saved;
}
