// The described-dialog engine and the settings tables on fake controls: what
// a dialog shows, that OK stores only when every item passes, row lists,
// pages, and the problem that results.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compile_problem.h"
#include "described_dialog.h"
#include "fake_controls.h"
#include "memory.h"
#include "platform_recorder.h"
#include "problem_file.h"
#include "problem_settings.h"
#include "resource_ids.h"
#include "settings.h"
#include "settings_tables.h"
#include "solver_method.h"
#include "string_ids.h"
#include "text_window_state.h"
#include "window_host_double.h"
#include "workspace.h"

namespace {

// The frame as the dialogs see it: one active child of the window double.
// Install fills the dialog shell's record with the entries it serves.
struct TestShell {
    WindowHostDouble *host = nullptr;
    WindowId active = 0;
    std::vector<std::string> titles;
    bool saveAnswer = true;
    int saveQuestions = 0;
    int toolbars = 0;

    static TestShell *installed;
    void Install() {
        installed = this;
        gDialogShell = DialogShell{};
        gDialogShell.syncActiveChild = [](int to) {
            if (installed->active) installed->host->SyncState(installed->active, to);
        };
        gDialogShell.setActiveChildTitle = [](const char *t) { installed->titles.push_back(t); };
        gDialogShell.querySaveProblem = [] {
            ++installed->saveQuestions;
            return installed->saveAnswer;
        };
        gDialogShell.rebuildToolbars = [] { ++installed->toolbars; };
    }
};
TestShell *TestShell::installed;

class DescribedDialogTest : public ::testing::Test {
protected:
    WindowHostDouble host;
    TestShell shell;
    FakeControls ctl;
    DialogSession s;

    void SetUp() override {
        gRecorder.Reset();
        host.Install();
        shell.host = &host;
        shell.Install();
        NewProblem(kOdeSystem, 3);
    }
    void TearDown() override {
        host.DestroyAll();
        gDialogShell = DialogShell{};
        WindowHostDouble::Uninstall();
        FreeProblemWorkspace();
        ResetProblemSettings();
        gProblemKind = kSingleOde;
        gDimension = 2;
        gStackLength = 1000;
        gPcodeLength = 10000;
        gProblemChanged = 0;
        gFixedPoint = gEnterKey = 0;
        gGraphWorkCopy = GraphWindowState();
        gTextWorkCopy = TextWindowState();
    }

    void NewProblem(int kind, unsigned n) {
        host.DestroyAll();
        ResetProblemSettings();
        gProblemKind = kind;
        gDimension = n;
        gStackLength = 1000;
        gPcodeLength = 10000;
        ASSERT_EQ(NewProblemWorkspace(), 1);
    }

    void Open(const DialogItem *table, int id, const DialogPage *pages = nullptr, int count = 0, int first = 0) {
        OpenDescribedDialog(s, table, id, 0, pages, count, first, &ctl);
    }
    // A row list's controls: label N - 2, spin N - 1, edit N (and N + 1).
    void AddRowList(int id, bool second = false) {
        ctl.Add(id - 2, id - 2, true);
        ctl.Add(id - 1, id);
        if (second) ctl.Add(id + 1);
    }
    int ItemIndex(int control) { return static_cast<int>(FindItem(s, control) - &s.items[0]); }
};

TEST_F(DescribedDialogTest, MethodDialogShowsStoresAndCancelLeavesNoTrace) {
    ctl.Add(23001, 23024);
    ctl.Add(23101, 23109);
    gFirstValue = 1.5;
    gBackward = 1;
    gRunPriority = 3;
    gRetardedPoints = 7;
    Open(kMethodTable, kDialogMethod, kMethodPages, 2, 0);
    EXPECT_EQ(ctl[23001].text, "1.5");
    EXPECT_EQ(ctl[23002].text, "10");
    EXPECT_TRUE(ctl[23009].checked);
    EXPECT_EQ(ctl[23011].text, "7");
    ASSERT_EQ(ctl[23022].combo.size(), 7u);
    EXPECT_EQ(ctl[23022].combo[0], "Idle");
    EXPECT_EQ(ctl[23022].combo[6], "Time critical");
    EXPECT_EQ(ctl[23022].selection, 3);
    EXPECT_EQ(ctl[23101].combo[0], "Dormand-Prince 8(5,3)");

    ctl[23001].text = "2.25";
    ctl[23022].selection = 5;
    CancelDescribedDialog(s);
    EXPECT_EQ(gFirstValue, 1.5);
    EXPECT_EQ(gRunPriority, 3);
    EXPECT_EQ(gProblemChanged, 0);

    Open(kMethodTable, kDialogMethod, kMethodPages, 2, 0);
    ctl[23001].text = "2.25";
    ctl[23009].checked = false;
    ctl[23022].selection = 5;
    ctl[23003].text = "1e300xyz";  // a text that begins with a number is taken
    ASSERT_EQ(OkDescribedDialog(s), 1);
    EXPECT_EQ(gFirstValue, 2.25);
    EXPECT_EQ(gBackward, 0);
    EXPECT_EQ(gRunPriority, 5);
    EXPECT_EQ(gInfinityLimit, 1e300);
    EXPECT_EQ(gProblemChanged, 1);
}

// Another code library chosen on the Method page shows its parameters before
// it is selected; OK selects it and writes the edited values into it.
TEST_F(DescribedDialogTest, ChosenCodeLibraryShowsItsParametersBeforeItIsSelected) {
    static WindowHostDouble *libraries;
    static int peeks;
    libraries = &host;
    peeks = 0;
    gDialogShell.sectionKeys = [](int section) {
        return section == IDS_SECTION_CODE_LIBRARIES ? std::vector<std::string>{"Lib A", "Lib B", "Broken"}
                                                     : std::vector<std::string>();
    };
    gDialogShell.sectionValue = [](int section, const std::string &key) {
        return std::string(section == IDS_SECTION_CODE_HELP && key == "Lib B" ? "b.hlp" : "");
    };
    gDialogShell.peekCodeLibraryParameters = [](const std::string &entry, std::vector<std::string> *names,
                                                std::vector<double> *values) {
        ++peeks;
        if (entry != "Lib B") return false;
        for (auto &p : libraries->libraryParams[1]) {
            names->push_back(p.first);
            values->push_back(p.second);
        }
        return true;
    };
    host.libraryParams = {{{"order", 5}}, {{"eps", 1e-3}, {"steps", 100}}};
    gCodeLibraryIndex = 1;
    ctl.Add(23001, 23024);
    ctl.Add(23101, 23109);
    const int rows = 23108;

    Open(kMethodTable, kDialogMethod, kMethodPages, 2, 1);
    ShowSolverParameterPage(s, gCodeLibraryIndex);
    EXPECT_EQ(ctl[23106].text, "order");
    EXPECT_EQ(ctl[rows].text, "5");
    EXPECT_TRUE(ctl[rows].enabled);
    EXPECT_FALSE(ctl[23109].enabled);  // no help file for Lib A
    EXPECT_EQ(peeks, 0);          // the library in use is read where it is

    ctl[23101].selection = 2;
    ASSERT_TRUE(SettingsDialogCommand(s, 23101, kNotifySelectionChange));
    EXPECT_EQ(peeks, 1);
    EXPECT_EQ(gCodeLibraryIndex, 1);  // not selected before OK
    EXPECT_EQ(ctl[23106].text, "eps");
    EXPECT_EQ(ctl[rows].text, "0.001");
    EXPECT_TRUE(ctl[rows].enabled);
    EXPECT_EQ(ctl[23107].rangeLast, 1);
    EXPECT_TRUE(ctl[23109].enabled);
    ctl[rows].text = "0.5";
    ASSERT_TRUE(MoveRow(s, ItemIndex(rows), kRowOn));
    EXPECT_EQ(ctl[23106].text, "steps");
    EXPECT_EQ(ctl[rows].text, "100");
    ctl[rows].text = "200";
    ASSERT_EQ(OkDescribedDialog(s), 1);
    EXPECT_EQ(gCodeLibraryIndex, 2);
    EXPECT_EQ(host.libraryParams[1][0].second, 0.5);
    EXPECT_EQ(host.libraryParams[1][1].second, 200);
    EXPECT_EQ(host.libraryParams[0][0].second, 5);

    // A library that does not load: back to the built-in method, no rows;
    // the built-in method has none either.
    for (int entry : {3, 0}) {
        Open(kMethodTable, kDialogMethod, kMethodPages, 2, 1);
        ShowSolverParameterPage(s, gCodeLibraryIndex);
        ctl[23101].selection = entry;
        SettingsDialogCommand(s, 23101, kNotifySelectionChange);
        EXPECT_EQ(ctl[23101].selection, 0) << entry;
        EXPECT_FALSE(ctl[rows].enabled) << entry;
        EXPECT_EQ(ctl[rows].text, "") << entry;
        EXPECT_EQ(ctl[23106].text, "") << entry;
        EXPECT_FALSE(ctl[23109].enabled) << entry;
        CancelDescribedDialog(s);
        EXPECT_EQ(gCodeLibraryIndex, 2) << entry;
    }
    gCodeLibraryIndex = 0;
}

TEST_F(DescribedDialogTest, ABadNumberStoresNothingShowsItsPageAndFocusesIt) {
    ctl.Add(23001, 23024);
    ctl.Add(23100, 23100, true);
    ctl.Add(23101, 23109);
    Open(kMethodTable, kDialogMethod, kMethodPages, 2, 0);
    EXPECT_EQ(ctl.tab, 0);
    EXPECT_FALSE(ctl[23102].visible);
    ctl[23001].text = "3";       // before the failing item
    ctl[23102].text = "abc";     // "Tolerance", on the hidden page 1
    ctl[23012].text = "4";       // after it
    EXPECT_EQ(OkDescribedDialog(s), 0);
    EXPECT_EQ(s.result, -1);
    EXPECT_EQ(gFirstValue, 0);
    EXPECT_EQ(gRealTime, 0);
    EXPECT_EQ(s.currentPage, 1);
    EXPECT_EQ(ctl.tab, 1);
    EXPECT_TRUE(ctl[23102].visible);
    EXPECT_FALSE(ctl[23001].visible);
    EXPECT_EQ(ctl.focus, 23102);
    EXPECT_EQ(ctl.beeps, 1);
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(gRecorder.boxes[0].text, "\"abc\" is not a number.");
    EXPECT_EQ(gProblemChanged, 0);
    // Corrected, OK goes through.
    ctl[23102].text = "1e-6";
    ASSERT_EQ(OkDescribedDialog(s), 1);
    EXPECT_EQ(gFirstValue, 3);
    EXPECT_EQ(gTolerance, 1e-6);
    EXPECT_EQ(gRealTime, 4);
}

TEST_F(DescribedDialogTest, EachItemTypeStoresItsTargetsWidthAndRefusesWhatItCannotHold) {
    struct Case {
        const char *name;
        int control;
        std::string text;
        bool ok;
    };
    ctl.Add(27101, 27418);
    ctl.Add(27200, 27200, true);
    const std::vector<Case> cases = {
        {"signed", 27213, "-12", true},
        {"signed overflow", 27213, "99999999999", false},
        {"signed with letters", 27213, "12a", false},
        {"32 characters do not fit 31 and the terminator", 27401, std::string(32, 'a'), false},
        {"31 characters fit", 27401, std::string(31, 'b'), true},
        {"control character", 27402, "*.v\x01r", false},
        {"tab is kept", 27402, "*.v\tr", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        gRecorder.Reset();
        Open(kPreferencesTable, kDialogPreferences, kPreferencesPages, 4, 0);
        ctl[c.control].text = c.text;
        EXPECT_EQ(OkDescribedDialog(s), c.ok ? 1 : 0);
        EXPECT_EQ(gRecorder.boxes.size(), c.ok ? 0u : 1u);
        if (!c.ok) {
            EXPECT_EQ(ctl.focus, c.control);
            CancelDescribedDialog(s);
        }
    }
    EXPECT_EQ(gTip, -12);
    EXPECT_EQ(std::string(gIdentifier), std::string(31, 'b'));
    EXPECT_EQ(std::string(gVantorelExtensions), "*.v\tr");
    EXPECT_EQ(gProblemChanged, 0);  // the preferences are not the problem's

    // Unsigned: a minus sign fails; a combo with no selection keeps its value.
    ctl.Add(24000, 24003);
    Open(kStatusLineTable, kDialogStatusLine);
    ctl[24003].text = "-1";
    EXPECT_EQ(OkDescribedDialog(s), 0);
    ctl[24003].text = "4294967295";
    EXPECT_EQ(OkDescribedDialog(s), 1);
    EXPECT_EQ(gStatusFrequency, 4294967295u);

    gRunPriority = 2;
    ctl.Add(23001, 23024);
    Open(kIterationRangeTable, kDialogIterationRange);
    ctl[23022].selection = -1;
    EXPECT_EQ(OkDescribedDialog(s), 1);
    EXPECT_EQ(gRunPriority, 2);
}

TEST_F(DescribedDialogTest, RadioGroupsAndTheirHooksRunOncePerGroup) {
    ctl.Add(27101, 27418);
    gBigButtons = 1;
    gShowHints = 2;
    Open(kPreferencesTable, kDialogPreferences, kPreferencesPages, 4, 0);
    EXPECT_FALSE(ctl[27102].checked);
    EXPECT_TRUE(ctl[27103].checked);
    EXPECT_TRUE(ctl[27110].checked);
    ctl[27103].checked = false;
    ctl[27104].checked = true;
    ctl[27110].checked = false;
    ctl[27108].checked = true;
    ASSERT_EQ(OkDescribedDialog(s), 1);
    EXPECT_EQ(gBigButtons, 2);
    EXPECT_EQ(shell.toolbars, 1);
    EXPECT_EQ(gShowHints, 0);
}

// A graph window's title edited, then a bad number: OK refuses and Cancel
// leaves the window exactly as it was; closing it frees nothing twice.
TEST_F(DescribedDialogTest, RefusedOkThenCancelLeavesTheGraphWindowsTitle) {
    shell.active = host.Add(kChildGraph);
    FakeChild *child = host.Find(shell.active);
    SetNonEmptyStringCopy(child->graph->title, "Old title");
    ctl.Add(25001, 25037);
    ctl.Add(25100, 25126);
    ctl.Add(25200, 25216);
    ctl.Add(25700, 25715);
    Open(kGraphFormatTable, kDialogGraphFormat, kGraphFormatPages, 4, 0);
    EXPECT_EQ(ctl[25001].text, "Old title");
    ctl[25001].text = "New title";
    ctl[25206].text = "x";
    EXPECT_EQ(OkDescribedDialog(s), 0);
    EXPECT_EQ(ctl.focus, 25206);
    CancelDescribedDialog(s);
    EXPECT_STREQ(child->graph->title, "Old title");
    EXPECT_TRUE(shell.titles.empty());

    // Once more, and this time OK goes through.
    Open(kGraphFormatTable, kDialogGraphFormat, kGraphFormatPages, 4, 0);
    ctl[25001].text = "New title  ";
    ctl[25003].text = "-4";
    ASSERT_EQ(OkDescribedDialog(s), 1);
    EXPECT_STREQ(child->graph->title, "New title");
    EXPECT_EQ(child->graph->xMin, -4);
    ASSERT_EQ(shell.titles.size(), 1u);
    EXPECT_EQ(shell.titles[0], "New title");
    host.DestroyAll();  // frees the record: ASan sees any second release
}

TEST_F(DescribedDialogTest, DimensionThreeToFiveGivesAProblemThatCompilesSavesAndReloads) {
    ctl.Add(21001, 21006);
    ctl.Add(21100, 21109);
    Open(kProblemTypeTable, kDialogProblemType, kProblemTypePages, 2, 0);
    EXPECT_TRUE(ctl[21003].checked);
    EXPECT_EQ(ctl[21006].text, "3");
    EXPECT_EQ(ctl[21103].text, "1000");
    ctl[21006].text = "5";
    ctl[21103].text = "2000";
    ASSERT_EQ(OkDescribedDialog(s), 1);
    EXPECT_EQ(gDimension, 5u);
    EXPECT_EQ(gStackLength, 2000u);
    EXPECT_EQ(gValueStack.limit - gValueStack.base, 1999);
    EXPECT_EQ(gTextArrayCount, 5);
    EXPECT_EQ(shell.saveQuestions, 1);

    // The equations are typed into the Definitions dialog.
    ctl.Add(22001, 22017);
    ctl.Add(22101, 22122);
    ctl.Add(22201, 22210);
    ctl.Add(22301, 22310);
    ctl.Add(22401, 22411);
    Open(kDefinitionsTable, kDialogDefinitions, kDefinitionsPages, 5, 2);
    const int eq = ItemIndex(22204);
    for (int i = 0; i < 5; ++i) {
        if (i) {
            ASSERT_TRUE(MoveRow(s, eq, kRowOn));
        }
        ctl[22204].text = "-x[" + std::to_string(i + 1) + "]";
    }
    EXPECT_FALSE(MoveRow(s, eq, kRowOn));  // five rows, no more
    ASSERT_EQ(OkDescribedDialog(s), 1);
    ASSERT_EQ(CompileProblem(), 1);

    ASSERT_EQ(BuildProblemText(0), 1);
    const std::string text(gProblemTextBuffer, gProblemTextLength);
    FreeProblemWorkspace();
    ResetProblemSettings();
    gDimension = 2;
    ASSERT_EQ(NewProblemWorkspace(), 1);
    FreeAndNull(gProblemTextBuffer);
    gProblemTextBuffer = AllocTextBuffer(text.size());
    std::memcpy(gProblemTextBuffer, text.data(), text.size());
    ASSERT_EQ(ParseProblemText(), kParseLoaded);
    EXPECT_EQ(gDimension, 5u);
    ASSERT_EQ(gTextArrayCount, 5);
    EXPECT_STREQ(gEquationTexts[4], "-x[5]");
    EXPECT_EQ(CompileProblem(), 1);
}

TEST_F(DescribedDialogTest, ARefusedSaveQuestionKeepsKindAndDimensionButTheLengthsChange) {
    ctl.Add(21001, 21006);
    ctl.Add(21100, 21109);
    shell.saveAnswer = false;
    Open(kProblemTypeTable, kDialogProblemType, kProblemTypePages, 2, 0);
    ctl[21003].checked = false;
    ctl[21004].checked = true;
    ctl[21105].text = "20000";
    ASSERT_EQ(OkDescribedDialog(s), 1);
    EXPECT_EQ(gProblemKind, kOdeSystem);
    EXPECT_EQ(gDimension, 3u);
    EXPECT_EQ(gPcodeLength, 20000u);
    EXPECT_TRUE(gPcodeBuffer);

    shell.saveAnswer = true;
    Open(kProblemTypeTable, kDialogProblemType, kProblemTypePages, 2, 0);
    ctl[21006].text = "0";
    ASSERT_EQ(OkDescribedDialog(s), 1);
    EXPECT_EQ(gDimension, 1u);  // 0 becomes 1
}

TEST_F(DescribedDialogTest, ParameterRowsGrowDropEmptyNamesAndRefuseBadValues) {
    ctl.Add(22100, 22100, true);
    ctl.Add(22101, 22122);
    ctl[22102].labelLike = true;
    gParameterCount = 1;
    AllocArray(gParameters, 1);
    SetNonEmptyStringCopy(gParameters[0].name, "a");
    gParameters[0].value = 2;
    Open(kDefinitionsTable, kDialogDefinitions, kDefinitionsPages, 5, 1);
    const int p = ItemIndex(22104);
    EXPECT_EQ(ctl[22104].text, "a");
    EXPECT_EQ(ctl[22105].text, "2");
    EXPECT_EQ(ctl[22102].text, "&Parameter #1");
    EXPECT_EQ(ctl[22103].rangeLast, 32766);

    ASSERT_TRUE(MoveRow(s, p, kRowOn));  // appends an empty parameter
    EXPECT_EQ(ctl[22102].text, "&Parameter #2");
    EXPECT_EQ(ctl[22104].text, "");
    ctl[22104].text = "b";
    ctl[22105].text = "oops";
    EXPECT_FALSE(MoveRow(s, p, kRowBack));  // a bad value keeps the row
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(gRecorder.boxes[0].text, "The value of parameter \"b\" is not a number.");
    EXPECT_EQ(ctl[22102].text, "&Parameter #2");
    ctl[22105].text = "0.5";
    ASSERT_TRUE(MoveRow(s, p, kRowBack));
    ctl[22104].text = "";  // an empty name drops the parameter
    ASSERT_EQ(OkDescribedDialog(s), 1);
    ASSERT_EQ(gParameterCount, 1);
    EXPECT_STREQ(gParameters[0].name, "b");
    EXPECT_EQ(gParameters[0].value, 0.5);

    // A bad value in the shown row fails OK with its message.
    gRecorder.Reset();
    Open(kDefinitionsTable, kDialogDefinitions, kDefinitionsPages, 5, 0);
    ctl[22105].text = "";
    EXPECT_EQ(OkDescribedDialog(s), 0);
    EXPECT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(ctl.focus, 22104);
    EXPECT_EQ(s.currentPage, 1);
    CancelDescribedDialog(s);
    EXPECT_EQ(gParameters[0].value, 0.5);
}

TEST_F(DescribedDialogTest, RowLabelsFollowTheKindAndTheNamesBeingTyped) {
    for (int page = 0; page < 5; ++page) {
        const DialogPage &pg = kDefinitionsPages[page];
        ctl.Add(pg.first, pg.last);
    }
    for (int id : {22011, 22014, 22202, 22304, 22307, 22404}) ctl[id].labelLike = true;
    Open(kDefinitionsTable, kDialogDefinitions, kDefinitionsPages, 5, 0);
    EXPECT_EQ(ctl[22008].text, "x");
    EXPECT_EQ(ctl[22011].text, "x[1]");
    EXPECT_EQ(ctl[22002].text, "Independent &variable");
    ShowDialogPage(s, 2);
    EXPECT_EQ(ctl[22202].text, "dx[1]/dt =");
    ShowDialogPage(s, 3);
    EXPECT_EQ(ctl[22304].text, "x0[1] =");
    EXPECT_EQ(ctl[22307].text, "x0[1](t) =");
    ShowDialogPage(s, 4);
    EXPECT_EQ(ctl[22404].text, "&Condition #1");
    // Renaming on the first page relabels the rows.
    ShowDialogPage(s, 0);
    ctl[22008].text = "y";
    SettingsDialogCommand(s, 22008, kNotifyEditUpdate);
    EXPECT_EQ(ctl[22011].text, "y[1]");
    ctl[22013].text = "pos";  // the first variable's own name
    ShowDialogPage(s, 2);
    EXPECT_EQ(ctl[22202].text, "dpos/dt =");
    CancelDescribedDialog(s);

    // A single ODE shows only its last equation.
    NewProblem(kSingleOde, 3);
    Open(kDefinitionsTable, kDialogDefinitions, kDefinitionsPages, 5, 2);
    const int eq = ItemIndex(22204);
    EXPECT_EQ(s.rows[eq].row, 2);
    EXPECT_EQ(ctl[22202].text, "x[3] =");
    EXPECT_FALSE(ctl[22203].enabled);
    EXPECT_FALSE(MoveRow(s, eq, kRowBack));
    CancelDescribedDialog(s);

    // A map: index n, "x <-" rows, Power in place of Delay, no discontinuities.
    NewProblem(kMap, 1);
    Open(kDefinitionsTable, kDialogDefinitions, kDefinitionsPages, 5, 2);
    EXPECT_EQ(ctl[22202].text, "x <-");
    EXPECT_EQ(ctl[22207].text, "Po&wer:");
    EXPECT_EQ(ctl[22002].text, "Inde&x");
    EXPECT_FALSE(ctl[22209].visible);
    EXPECT_FALSE(ctl[22209].enabled);
    ShowDialogPage(s, 0);
    ShowDialogPage(s, 2);
    EXPECT_FALSE(ctl[22209].visible);  // stays hidden when its page comes back
    ctl[22206].text = "-1";
    EXPECT_EQ(OkDescribedDialog(s), 0);  // unsigned
    ctl[22206].text = "3";
    ASSERT_EQ(OkDescribedDialog(s), 1);
    EXPECT_EQ(gMapPower, 3u);
    EXPECT_EQ(gProblemChanged, 1);
}

TEST_F(DescribedDialogTest, HiddenPagesKeepLabelTextsAsideAndEditsWhole) {
    ctl.Add(21001, 21006);
    ctl.Add(21100, 21100, true);
    ctl.Add(21101, 21109);
    ctl[21102].labelLike = true;
    ctl[21102].text = "&Stack length";
    ctl[21100].text = "&Advanced settings";
    ctl.Add(30000);  // in no page: never touched
    Open(kProblemTypeTable, kDialogProblemType, kProblemTypePages, 2, 0);
    EXPECT_FALSE(ctl[21102].visible);
    EXPECT_EQ(ctl[21102].text, "");
    EXPECT_EQ(ctl[21103].text, "1000");  // edits keep their text
    ShowDialogPage(s, 0);                // the page shown: nothing happens
    EXPECT_EQ(s.currentPage, 0);
    EXPECT_TRUE(SelectDialogPageBySelector(s, 21100));
    EXPECT_EQ(ctl[21102].text, "&Stack length");
    EXPECT_TRUE(ctl[21102].visible);
    EXPECT_FALSE(ctl[21006].visible);
    EXPECT_TRUE(ctl[30000].visible);
    CancelDescribedDialog(s);
    EXPECT_TRUE(s.savedTexts.empty());
}

TEST_F(DescribedDialogTest, TextWindowExpressionsRebuildFromTheRowsThatHoldSomething) {
    shell.active = host.Add(kChildText);
    ctl.Add(26001, 26019);
    Open(kTextFormatTable, kDialogTextFormat);
    const int r = ItemIndex(26004);
    EXPECT_EQ(ctl[26002].text, "&Expression #1");
    ctl[26004].text = "t";
    ctl[26005].text = "%g";
    ASSERT_TRUE(MoveRow(s, r, kRowOn));
    ASSERT_TRUE(MoveRow(s, r, kRowOn));  // row 2 stays empty
    ctl[26004].text = "x[1]";
    ctl[26009].text = "100";
    ASSERT_EQ(OkDescribedDialog(s), 1);
    const TextWindowState *t = host.Find(shell.active)->text;
    ASSERT_EQ(t->count, 2);
    EXPECT_STREQ(t->expressions[0], "t");
    EXPECT_STREQ(t->formats[0], "%g");
    EXPECT_STREQ(t->expressions[1], "x[1]");
    EXPECT_EQ(t->formats[1], nullptr);
    EXPECT_EQ(t->lines, 100u);
}

TEST_F(DescribedDialogTest, InitialValuesAndNamesReplaceTheirArraysOnlyOnOk) {
    ctl.Add(22001, 22017);
    ctl.Add(22301, 22310);
    Open(kDefinitionsTable, kDialogDefinitions, kDefinitionsPages, 5, 3);
    const int iv = ItemIndex(22306);
    ctl[22306].text = "1.25";
    ASSERT_TRUE(MoveRow(s, iv, kRowGoto, 4));  // n + 2 rows
    ctl[22306].text = "7";
    EXPECT_FALSE(MoveRow(s, iv, kRowGoto, 5));
    ctl[22013].text = "p";
    CancelDescribedDialog(s);
    EXPECT_EQ(gInitialValues[0], 0);
    EXPECT_EQ(gColumnTable[kFixedColumnCount].name, nullptr);

    Open(kDefinitionsTable, kDialogDefinitions, kDefinitionsPages, 5, 3);
    ctl[22306].text = "1.25";
    ASSERT_TRUE(MoveRow(s, iv, kRowGoto, 4));
    ctl[22306].text = "7";
    ctl[22013].text = "p";
    ASSERT_EQ(OkDescribedDialog(s), 1);
    EXPECT_EQ(gInitialValues[0], 1.25);
    EXPECT_EQ(gInitialValues[4], 7);
    EXPECT_STREQ(gColumnTable[kFixedColumnCount].name, "p");
}

// Dialog 500: only the formats on the clipboard can be chosen, and the
// bitmap-only groups are left alone for a metafile.
TEST_F(DescribedDialogTest, PasteModeEnablesItsGroupsByFormat) {
    gDialogShell.availablePictureFormats = [] { return 4; };
    ctl.Add(29100, 29119);
    gPasteRasterOp = 4;
    gPasteResize = 0;
    Open(kPasteModeTable, kDialogPasteMode);
    EXPECT_TRUE(ctl[29103].checked);
    EXPECT_FALSE(ctl[29101].enabled);
    EXPECT_FALSE(ctl[29105].enabled);
    EXPECT_FALSE(ctl[29117].enabled);
    EXPECT_TRUE(ctl[29113].enabled);
    ctl[29109].checked = false;  // a disabled group is not read
    ctl[29106].checked = true;
    ctl[29112].checked = false;
    ctl[29114].checked = true;
    ASSERT_EQ(OkDescribedDialog(s), 1);
    EXPECT_EQ(gPasteFormat, 2);
    EXPECT_EQ(gPasteRasterOp, 4);
    EXPECT_EQ(gPasteResize, 2);
    EXPECT_EQ(gProblemChanged, 0);

    gDialogShell.availablePictureFormats = nullptr;  // every format: the groups follow the choice
    ctl = FakeControls();    // a new dialog
    ctl.Add(29100, 29119);
    Open(kPasteModeTable, kDialogPasteMode);
    EXPECT_TRUE(ctl[29101].checked);
    EXPECT_TRUE(ctl[29105].enabled);
    ctl[29101].checked = false;
    ctl[29103].checked = true;
    SettingsDialogCommand(s, 29103, kNotifyClicked);
    EXPECT_FALSE(ctl[29105].enabled);
    CancelDescribedDialog(s);
}

TEST_F(DescribedDialogTest, MenuCommandsChooseTheirDialogsByProblemKind) {
    SettingsDialogChoice c;
    ASSERT_TRUE(FindSettingsDialog(205, &c));
    EXPECT_EQ(c.dialogId, 130);
    EXPECT_EQ(c.firstPage, 2);
    ASSERT_TRUE(FindSettingsDialog(210, &c));
    EXPECT_EQ(c.dialogId, 140);
    EXPECT_EQ(c.firstPage, 1);
    ASSERT_TRUE(FindSettingsDialog(307, &c));
    EXPECT_EQ(c.firstPage, 3);
    EXPECT_EQ(c.target, kForGraph);
    gProblemKind = kMap;
    ASSERT_TRUE(FindSettingsDialog(208, &c));
    EXPECT_EQ(c.dialogId, 150);
    EXPECT_EQ(c.helpContext, 2022);
    EXPECT_FALSE(FindSettingsDialog(210, &c));
    ASSERT_TRUE(FindSettingsDialog(306, &c));
    EXPECT_EQ(c.dialogId, 200);
    gProblemKind = kOdeSystem;
    EXPECT_FALSE(FindSettingsDialog(501, &c));
}

// Items bound to a problem setting edit it with the control of its kind, in
// the tables as written and after the hooks have rebound them (the delay
// item of a map edits the map power).
TEST_F(DescribedDialogTest, ItemsOfAProblemSettingEditItWithTheControlOfItsKind) {
    struct Table {
        const DialogItem *items;
        int dialogId;
    } const tables[] = {
        {kProblemTypeTable, kDialogProblemType}, {kDefinitionsTable, kDialogDefinitions},
        {kMethodTable, kDialogMethod},           {kIterationRangeTable, kDialogIterationRange},
        {kStatusLineTable, kDialogStatusLine},
    };
    ctl.Add(IDC_DEF_DELAY);  // its hook runs only on a live control
    for (int kind : {kOdeSystem, kMap}) {
        NewProblem(kind, 2);
        for (const Table &t : tables) {
            Open(t.items, t.dialogId);
            int bound = 0;
            for (const DialogItem &item : s.items) {
                const ProblemSetting *setting = item.target ? FindProblemSetting(item.target) : nullptr;
                if (!setting) continue;
                ++bound;
                EXPECT_EQ(item.type, ItemTypeOfValue(setting->kind)) << t.dialogId << " control " << item.control;
                EXPECT_EQ(item.targetSize, 0) << t.dialogId << " control " << item.control;
            }
            EXPECT_GT(bound, 0) << t.dialogId;
            if (t.dialogId == kDialogDefinitions) {
                const DialogItem *delay = FindItem(s, IDC_DEF_DELAY);
                ASSERT_TRUE(delay);
                EXPECT_EQ(delay->target, kProblemSettings[kind == kMap ? kSettingMapPower : kSettingDelay].cell);
            }
            CancelDescribedDialog(s);
        }
    }
}

}  // namespace
