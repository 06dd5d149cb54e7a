// Dialog 800 on fake controls: what each kind shows, moving through and
// reordering the list, New/Copy/Remove/Erase all, refused fields, and that
// Cancel puts back exactly the list, index and changed flag of before.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "element_dialog_logic.h"
#include "fake_controls.h"
#include "graph_elements.h"
#include "memory.h"
#include "platform_recorder.h"
#include "problem_settings.h"
#include "resource_ids.h"

namespace {

int gNewKindAnswer = 1;
int gAskedKinds;
int AskNewKind() {
    ++gAskedKinds;
    return gNewKindAnswer;
}
int32_t gChosenColor = 0x123456;
int ChooseColor(int32_t *c) {
    *c = gChosenColor;
    return 1;
}
int AskFile(std::string *name) {
    *name = "chosen " + *name;
    return 1;
}
std::vector<int> gCopied;
int CopyToClipboard(const GraphicsElement *e) {
    gCopied.push_back(e->kind);
    return 1;
}
int PasteFromClipboard() {
    gNewElementKind = kElementArrow;
    return AddGraphicsElement(0) != nullptr;
}

class ElementDialogTest : public ::testing::Test {
protected:
    GraphWindowState g{};
    FakeControls c;
    ElementDialog d;
    ElementDialogHooks hooks{AskNewKind, AskFile, ChooseColor, CopyToClipboard, PasteFromClipboard, nullptr, nullptr};

    void SetUp() override {
        gRecorder.Reset();
        gCurrentGraph = &g;
        g.xMin = g.yMin = -1;
        g.xMax = g.yMax = 1;
        g.clientMaxX = g.clientMaxY = 200;
        g.currentElementIndex = -1;
        gElementCursorX = gElementCursorY = 0;
        gNewKindAnswer = 1;
        gAskedKinds = 0;
        gCopied.clear();
        gProblemChanged = 0;
        // The template's controls.
        c.Add(IDC_ELEMENT_NEXT, IDC_ELEMENT_FILE_NAME);
        for (int f = 0; f < kElementFieldCount; ++f) c[ElementFieldLabelId(f)].labelLike = true;
    }
    void TearDown() override {
        if (d.open) EndElementDialog(d, 0);
        FreeGraphicsElements(&g);
        gCurrentGraph = nullptr;
        gProblemChanged = 0;
    }
    GraphicsElement *Add(int kind, double x = 0) {
        gNewElementKind = kind;
        GraphicsElement *e = AddGraphicsElement(0);
        e->x = x;
        return e;
    }
    void Open() { ASSERT_TRUE(BeginElementDialog(d, &c, hooks)); }
    int Press(int id, int notification = 0) { return ElementDialogCommand(d, id, notification); }
    void Type(int id, const std::string &text, int notification = 0x300) {
        c[id].text = text;
        Press(id, notification);
    }
    std::string Field(int f) { return c[ElementFieldEditId(f)].text; }
    bool Shown(int id) { return c[id].visible; }
    std::vector<double> Xs() {
        std::vector<double> xs;
        for (GraphicsElement *e = g.elements; e; e = e->next) xs.push_back(e->x);
        return xs;
    }
};

TEST_F(ElementDialogTest, EachKindShowsItsLabelledRowsAndHidesTheRest) {
    Add(kElementSegment);
    Open();
    EXPECT_EQ(c[ElementFieldLabelId(5)].text, "L&ength:");
    EXPECT_EQ(c[ElementFieldLabelId(3)].text, "&X:");
    EXPECT_FALSE(Shown(ElementFieldEditId(0)));  // no text
    EXPECT_FALSE(Shown(ElementFieldEditId(6)));  // no radius
    EXPECT_TRUE(Shown(IDC_ELEMENT_COLOR));
    EXPECT_FALSE(Shown(IDC_ELEMENT_FILE_NAME));
    EXPECT_EQ(c[IDC_ELEMENT_COUNT].text, "of 1");
    EXPECT_EQ(c[IDC_ELEMENT_NUMBER].text, "1");
    EXPECT_EQ(Field(11), "1");
    EXPECT_EQ(Field(12), "100");
    struct Case {
        int kind;
        std::vector<int> shown;  // fields
    };
    const Case cases[] = {
        {kElementCircle, {3, 4, 6, 7, 8, 9, 10, 11, 12}},
        {kElementArrow, {3, 4, 5, 7, 9, 10, 11}},
        {kElementText, {0, 3, 4, 5, 6, 9, 10, 11, 12}},
        {kElement3Curve, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {kElementSpecial, {0}},
        {kElementData, {3, 4, 5, 6, 9, 10, 11, 12}},
        {kElementFractal, {0, 1, 3, 4, 5, 7, 8, 9, 10, 11}},
        {kElementParameters, {0, 1, 3, 4, 5, 6, 9, 10, 11, 12}},
    };
    for (const Case &k : cases) {
        c[IDC_ELEMENT_KIND].selection = k.kind;
        Press(IDC_ELEMENT_KIND, 1);
        ASSERT_EQ(g.currentElement->kind, k.kind);
        for (int f = 0; f < kElementFieldCount; ++f) {
            const bool want = std::find(k.shown.begin(), k.shown.end(), f) != k.shown.end();
            EXPECT_EQ(Shown(ElementFieldEditId(f)), want) << "kind " << k.kind << " field " << f;
            EXPECT_EQ(Shown(ElementFieldLabelId(f)), want) << "kind " << k.kind << " field " << f;
        }
        EXPECT_EQ(Shown(IDC_ELEMENT_FILE_NAME), k.kind == kElementData);
        EXPECT_EQ(Shown(IDC_ELEMENT_FILE), k.kind == kElementData);
    }
}

TEST_F(ElementDialogTest, ChangingTheKindKeepsEveryOtherValue) {
    GraphicsElement *e = Add(kElementCircle);
    e->radius = 0.1 + 0.2;  // 17 digits: the shown text would round it
    e->steps = 37;
    SetNonEmptyStringCopy(e->text2, "keep me");
    Open();
    c[IDC_ELEMENT_KIND].selection = kElementEllipse;
    Press(IDC_ELEMENT_KIND, 1);
    Press(kElementOk);
    EndElementDialog(d, 1);
    ASSERT_NE(g.currentElement, nullptr);
    EXPECT_EQ(g.currentElement->kind, kElementEllipse);
    EXPECT_EQ(g.currentElement->radius, 0.1 + 0.2);
    EXPECT_EQ(g.currentElement->end, 360);
    EXPECT_EQ(g.currentElement->steps, 37);
    EXPECT_STREQ(g.currentElement->text2, "keep me");
}

TEST_F(ElementDialogTest, AnEmptyListShowsOnlyNewAndPaste) {
    Open();
    for (int id = IDC_ELEMENT_NEXT; id <= IDC_ELEMENT_FILE_NAME; ++id)
        EXPECT_EQ(Shown(id), id == IDC_ELEMENT_NEW || id == IDC_ELEMENT_FROM_CLIPBOARD) << id;
    // New asks for the kind; a Circle gets end 360 and 100 steps.
    gNewElementKind = kElementCircle;
    Press(IDC_ELEMENT_NEW);
    EXPECT_EQ(gAskedKinds, 1);
    ASSERT_EQ(g.elementCount, 1);
    EXPECT_EQ(g.currentElementIndex, 0);
    EXPECT_EQ(Field(8), "360");
    EXPECT_EQ(Field(12), "100");
    EXPECT_TRUE(Shown(IDC_ELEMENT_KIND));
    // A cancelled kind question adds nothing.
    gNewKindAnswer = 0;
    Press(IDC_ELEMENT_NEW);
    EXPECT_EQ(g.elementCount, 1);
}

TEST_F(ElementDialogTest, MovingThroughAndReorderingTheList) {
    for (int i = 0; i < 3; ++i) Add(kElementSegment, i);
    g.currentElementIndex = 0;
    Open();
    EXPECT_FALSE(c[IDC_ELEMENT_PREVIOUS].enabled);
    EXPECT_FALSE(c[IDC_ELEMENT_BACK].enabled);
    EXPECT_TRUE(c[IDC_ELEMENT_NEXT].enabled);
    Press(IDC_ELEMENT_BACK);  // the first one back: nothing
    EXPECT_EQ(Xs(), (std::vector<double>{0, 1, 2}));
    Press(IDC_ELEMENT_FORWARD);
    EXPECT_EQ(Xs(), (std::vector<double>{1, 0, 2}));
    EXPECT_EQ(g.currentElementIndex, 1);
    EXPECT_EQ(Field(3), "0");
    Press(IDC_ELEMENT_FORWARD);
    EXPECT_EQ(Xs(), (std::vector<double>{1, 2, 0}));
    EXPECT_FALSE(c[IDC_ELEMENT_FORWARD].enabled);
    Press(IDC_ELEMENT_FORWARD);  // the last one forward: nothing
    EXPECT_EQ(Xs(), (std::vector<double>{1, 2, 0}));
    Press(IDC_ELEMENT_PREVIOUS);
    EXPECT_EQ(Field(3), "2");
    // The number field: 0 or less the first, past the end the last, the
    // number itself left as typed.
    const std::pair<const char *, int> numbers[] = {{"0", 0}, {"-4", 0}, {"3", 2}, {"99", 2}, {"2", 1}, {"-", 1}};
    for (const auto &n : numbers) {
        Type(IDC_ELEMENT_NUMBER, n.first);
        EXPECT_EQ(g.currentElementIndex, n.second) << n.first;
        EXPECT_EQ(c[IDC_ELEMENT_NUMBER].text, n.first);
    }
    // An edit typed before a move is stored with the element left behind.
    Type(ElementFieldEditId(3), "7.5", 0);
    Press(IDC_ELEMENT_NEXT);
    Press(kElementOk);
    EndElementDialog(d, 1);
    EXPECT_EQ(Xs(), (std::vector<double>{1, 7.5, 0}));
    EXPECT_EQ(g.currentElementIndex, 2) << "OK keeps the dialog's selection";
    EXPECT_EQ(gProblemChanged, 1);
}

TEST_F(ElementDialogTest, CancelPutsBackTheListIndexAndChangedFlagExactly) {
    for (int i = 0; i < 3; ++i) Add(kElementText, i);
    SetNonEmptyStringCopy(g.elements->text1, "first");
    g.currentElementIndex = 1;
    GraphicsElement *before[3] = {g.elements, g.elements->next, g.elements->next->next};
    Open();
    EXPECT_NE(g.elements, before[0]) << "the dialog edits a copy";
    Type(ElementFieldEditId(0), "changed", 0);
    Press(IDC_ELEMENT_COPY);
    Press(IDC_ELEMENT_REMOVE);
    Press(IDC_ELEMENT_FORWARD);
    Press(IDC_ELEMENT_ERASE_ALL);
    EXPECT_EQ(g.elementCount, 0);
    EXPECT_EQ(Press(kElementCancel), 0);
    EndElementDialog(d, 0);
    EXPECT_EQ(g.elements, before[0]);
    EXPECT_EQ(g.elements->next, before[1]);
    EXPECT_EQ(g.elements->next->next, before[2]);
    EXPECT_EQ(g.elementCount, 3);
    EXPECT_EQ(g.currentElementIndex, 1);
    EXPECT_EQ(g.currentElement, before[1]);
    EXPECT_STREQ(g.elements->text1, "first");
    EXPECT_EQ(gProblemChanged, 0);
    EXPECT_EQ(gElementDialogOpen, 0);
}

TEST_F(ElementDialogTest, CopyRemoveAndEraseAllOnTheCopy) {
    GraphicsElement *e = Add(kElementText, 1);
    SetNonEmptyStringCopy(e->text1, "A");
    Open();
    Type(ElementFieldEditId(0), "B", 0);
    Press(IDC_ELEMENT_COPY);  // stores "B" first, then copies it
    ASSERT_EQ(g.elementCount, 2);
    EXPECT_EQ(g.currentElementIndex, 1);
    EXPECT_STREQ(g.elements->text1, "B");
    EXPECT_STREQ(g.currentElement->text1, "B");
    EXPECT_NE(g.elements->text1, g.currentElement->text1);
    Press(IDC_ELEMENT_REMOVE);
    EXPECT_EQ(g.elementCount, 1);
    EXPECT_EQ(g.currentElementIndex, 0);
    Press(IDC_ELEMENT_REMOVE);
    EXPECT_EQ(g.currentElementIndex, -1);
    EXPECT_TRUE(Shown(IDC_ELEMENT_NEW));
    EXPECT_FALSE(Shown(IDC_ELEMENT_KIND));
    // Then one new element: index 0 of 1.
    Press(IDC_ELEMENT_NEW);
    EXPECT_EQ(g.currentElementIndex, 0);
    EXPECT_EQ(g.elementCount, 1);
    EXPECT_EQ(Press(kElementOk), 1);
    EndElementDialog(d, 1);
    EXPECT_EQ(g.elementCount, 1);
    EXPECT_EQ(g.currentElementIndex, 0);
}

TEST_F(ElementDialogTest, ARefusedFieldStoresNothingAndKeepsTheDialogOpen) {
    Add(kElementCircle, 0.25);
    Open();
    struct Case {
        int field;
        const char *text;
        const char *message;
    };
    const Case cases[] = {
        {3, "abc", "\"abc\" is not a number."},
        {11, "1.5", "\"1.5\" is not a whole number in the range of this field."},
        {12, "99999999999", "\"99999999999\" is not a whole number in the range of this field."},
    };
    for (const Case &k : cases) {
        gRecorder.Reset();
        Type(ElementFieldEditId(4), "0.5", 0);
        Type(ElementFieldEditId(k.field), k.text, 0);
        EXPECT_EQ(Press(kElementOk), -1) << k.text;
        ASSERT_EQ(gRecorder.boxes.size(), 1u);
        EXPECT_EQ(gRecorder.boxes[0].text, k.message);
        EXPECT_EQ(c.focus, ElementFieldEditId(k.field));
        EXPECT_EQ(g.currentElement->y, 0) << "nothing stored";
        Type(ElementFieldEditId(k.field), k.field == 3 ? "0.25" : "1", 0);
    }
    // A kind change refused goes back to the shown kind.
    Type(ElementFieldEditId(5 + 1), "x", 0);
    c[IDC_ELEMENT_KIND].selection = kElementSegment;
    Press(IDC_ELEMENT_KIND, 1);
    EXPECT_EQ(c[IDC_ELEMENT_KIND].selection, kElementCircle);
    EXPECT_EQ(g.currentElement->kind, kElementCircle);
    Type(ElementFieldEditId(6), "0.5", 0);
    EXPECT_EQ(Press(kElementOk), 1);
}

TEST_F(ElementDialogTest, FileNameColourAndClipboardRows) {
    GraphicsElement *e = Add(kElementData);
    SetNonEmptyStringCopy(e->text1, "orbit.double 0 0 1 1");
    Open();
    EXPECT_EQ(c[IDC_ELEMENT_FILE_NAME].text, "orbit.double 0 0 1 1");
    Press(IDC_ELEMENT_FILE);
    EXPECT_EQ(c[IDC_ELEMENT_FILE_NAME].text, "chosen orbit.double 0 0 1 1");
    Press(IDC_ELEMENT_COLOR);
    EXPECT_EQ(g.currentElement->color, gChosenColor);
    Press(IDC_ELEMENT_TO_CLIPBOARD);
    EXPECT_EQ(gCopied, std::vector<int>{kElementData});
    EXPECT_STREQ(g.currentElement->text1, "chosen orbit.double 0 0 1 1") << "stored before the copy";
    Press(IDC_ELEMENT_FROM_CLIPBOARD);
    EXPECT_EQ(g.elementCount, 2);
    EXPECT_EQ(g.currentElementIndex, 1);
    EXPECT_EQ(c[IDC_ELEMENT_KIND].selection, kElementArrow);
    EXPECT_EQ(Press(kElementOk), 1);
    EndElementDialog(d, 1);
    EXPECT_EQ(g.elements->color, gChosenColor);
    // Without clipboard hooks the buttons are disabled.
    ElementDialog other;
    ElementDialogHooks none{};
    FakeControls c2;
    c2.Add(IDC_ELEMENT_NEXT, IDC_ELEMENT_FILE_NAME);
    ASSERT_TRUE(BeginElementDialog(other, &c2, none));
    EXPECT_FALSE(c2[IDC_ELEMENT_TO_CLIPBOARD].enabled);
    EXPECT_FALSE(c2[IDC_ELEMENT_FROM_CLIPBOARD].enabled);
    EndElementDialog(other, 0);
}

}  // namespace
