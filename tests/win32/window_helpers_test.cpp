// Shared window helpers and the single-instance check on real windows.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "instance_check.h"
#include "settings.h"
#include "win32_modal.h"
#include "window_helpers.h"

namespace {

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

LRESULT CALLBACK FrameProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == kInstanceQueryMessage)
        return AnswerInstanceQuery(wp, lp, reinterpret_cast<const char *>(GetWindowLongPtrA(w, GWLP_USERDATA)));
    return DefWindowProcA(w, m, wp, lp);
}

void RegisterClasses() {
    static bool done;
    if (done) return;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = Instance();
    wc.lpszClassName = "VR_Frame";
    RegisterClassA(&wc);
    wc.lpfnWndProc = DefMDIChildProcA;
    wc.lpszClassName = "VrTestChild";
    RegisterClassA(&wc);
    done = true;
}

HWND MakeFrame(const char *title, const char *problemPath) {
    RegisterClasses();
    HWND frame = CreateWindowA("VR_Frame", title, WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                               Instance(), nullptr);
    SetWindowLongPtrA(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(problemPath));
    return frame;
}

TEST(WindowHelpers, UniqueTitleTakesTheFirstFreeNumber) {
    HWND frame = MakeFrame("Vrtest frame", "");
    CLIENTCREATESTRUCT ccs = {nullptr, 1000};
    gMdiClient = CreateWindowA("MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 400, 300, frame,
                               nullptr, Instance(), &ccs);
    ASSERT_TRUE(gMdiClient);
    EXPECT_STREQ(MakeUniqueTitle(515), "Graph Window #1");  // no child at all
    for (const char *t : {"Graph Window #1", "Graph Window #2", "Graph Window #4", "Text Window #3"})
        ASSERT_TRUE(CreateMDIWindowA("VrTestChild", t, 0, 0, 0, 100, 100, gMdiClient, Instance(), 0));
    EXPECT_STREQ(MakeUniqueTitle(515), "Graph Window #3");
    EXPECT_STREQ(MakeUniqueTitle(516), "Text Window #1");
    DestroyWindow(frame);
    gMdiClient = nullptr;
}

TEST(WindowHelpers, FrameSubmenuSkipsAMaximisedChildsSystemMenu) {
    gFrameWindow = MakeFrame("Vrtest frame", "");
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu(), edit = CreatePopupMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
    SetMenu(gFrameWindow, bar);
    EXPECT_EQ(GetFrameSubmenu(1), edit);
    HMENU system = CreatePopupMenu();
    AppendMenuA(system, MF_STRING, 61728, "&Restore");
    InsertMenuA(bar, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(system), "");
    EXPECT_EQ(GetFrameSubmenu(1), edit);
    EXPECT_EQ(GetFrameSubmenu(0), file);
    DestroyWindow(gFrameWindow);
    gFrameWindow = nullptr;
}

TEST(WindowHelpers, CentringStaysOnTheDesktopAndForgetsTheReference) {
    HWND w = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, Instance(), nullptr);
    SetRect(&gCenterReference, 100, 100, 501, 400);
    CenterDialogInFrame(w);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 200);  // (100 + 501 - 0 - 200) / 2, truncated
    EXPECT_EQ(r.top, 200);
    EXPECT_TRUE(IsRectEmpty(&gCenterReference));
    SetRect(&gCenterReference, -3000, -3000, -2000, -2000);  // would leave the desktop
    CenterDialogInFrame(w);
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 200);
    DestroyWindow(w);
}

TEST(WindowHelpers, MappingCallsReturnThePreviousValuePacked) {
    HDC dc = CreateCompatibleDC(nullptr);
    SetMapMode(dc, MM_ANISOTROPIC);
    EXPECT_EQ(SetWindowExtent(dc, 100, 200), 0x00010001);
    EXPECT_EQ(SetWindowExtent(dc, 5, 6), (200 << 16) | 100);
    EXPECT_EQ(SetViewportOrigin(dc, 3, -4), 0);
    EXPECT_EQ(static_cast<unsigned>(SetViewportOrigin(dc, 0, 0)), 0xFFFC0003u);
    EXPECT_EQ(SetViewportExtent(dc, 7, 8), 0x00010001);
    DeleteDC(dc);
}

INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

HWND MakeInstanceDialog() {
    return CreateDialogParamA(Instance(), MAKEINTRESOURCEA(kAlreadyRunningDialog), nullptr, InertDialogProc, 0);
}

// A label has no topic of its own: its help is the next control's in tab
// order.
TEST(WindowHelpers, ContextHelpOnALabelGivesTheNextControlsTopic) {
    HWND dialog = MakeInstanceDialog();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(IsStaticControl(28604, GetDlgItem(dialog, 28604)));
    EXPECT_TRUE(IsStaticControl(-1, nullptr));
    EXPECT_FALSE(IsStaticControl(28601, GetDlgItem(dialog, 28601)));
    EXPECT_EQ(ShowControlHelp(GetDlgItem(dialog, 28604), dialog, 12, 0, 0), 28601);
    EXPECT_EQ(ShowControlHelp(GetDlgItem(dialog, 28603), dialog, 12, 0, 0), 28603);
    EnableAutoCompleteAll(dialog);  // none of the file edits here: nothing happens
    DestroyWindow(dialog);
}

std::vector<std::string> ListEntries(HWND dialog) {
    std::vector<std::string> out;
    int n = static_cast<int>(SendDlgItemMessageA(dialog, 28601, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char text[MAX_PATH];
        SendDlgItemMessageA(dialog, 28601, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        out.push_back(text);
    }
    return out;
}

bool Contains(const std::vector<std::string> &v, const char *s) { return std::find(v.begin(), v.end(), s) != v.end(); }

// Two frames in this process stand for two running instances: each answers
// the query message from its own window procedure with its problem path,
// exactly as another process's frame does (the atom table is global).
class InstanceCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp) + "Vantorel Instance Folder";
        CreateDirectoryA(folder_.c_str(), nullptr);
        first_ = folder_ + "\\Problem Number One.vr";
        second_ = folder_ + "\\Other Problem.vr";
        for (const std::string &p : {first_, second_})
            CloseHandle(CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        char shortPath[MAX_PATH];
        ASSERT_GT(GetShortPathNameA(first_.c_str(), shortPath, sizeof shortPath), 0u);
        asked_ = shortPath;
        CharUpperA(&asked_[0]);
        a_ = MakeFrame("Vantorel - Problem Number One.vr", first_.c_str());
        b_ = MakeFrame("Vantorel - Other Problem.vr", second_.c_str());
        c_ = MakeFrame("Vantorel", "");
    }
    void TearDown() override {
        for (HWND w : {a_, b_, c_}) DestroyWindow(w);
    }
    std::string folder_, first_, second_, asked_;
    HWND a_, b_, c_;
};

TEST_F(InstanceCheckTest, ShortFormInOtherCaseFindsTheSameProblem) {
    ASSERT_NE(asked_, first_);  // really another spelling
    EXPECT_TRUE(InstanceHasSameProblem(asked_.c_str(), a_));
    EXPECT_EQ(GlobalFindAtomA(first_.c_str()), 0);  // the asker deleted the answer
    EXPECT_FALSE(InstanceHasSameProblem(asked_.c_str(), b_));
    EXPECT_FALSE(InstanceHasSameProblem(asked_.c_str(), c_));
    EXPECT_TRUE(InstanceHasSameProblem("", c_));  // no file of our own: every instance
}

TEST_F(InstanceCheckTest, ListShowsTheInstancesThatQualify) {
    HWND dialog = MakeInstanceDialog();
    gOtherFrameSeen = 0;
    CollectRunningInstances(dialog, asked_.c_str());
    std::vector<std::string> same = ListEntries(dialog);
    EXPECT_TRUE(Contains(same, "Problem Number One.vr"));
    EXPECT_FALSE(Contains(same, "Other Problem.vr"));
    EXPECT_FALSE(Contains(same, "(Untitled problem file)"));
    EXPECT_EQ(gOtherFrameSeen, 1);

    SendDlgItemMessageA(dialog, 28601, LB_RESETCONTENT, 0, 0);
    CollectRunningInstances(dialog, "");
    std::vector<std::string> all = ListEntries(dialog);
    for (const char *entry : {"Problem Number One.vr", "Other Problem.vr", "(Untitled problem file)"})
        EXPECT_TRUE(Contains(all, entry)) << entry;
    DestroyWindow(dialog);
}

TEST_F(InstanceCheckTest, DialogSwitchesOrStartsANewCopy) {
    {
        ModalAnswerer answer(28603);  // New copy
        EXPECT_EQ(CheckPreviousInstance(asked_.c_str()), 0);
        const ModalCapture &box = answer.Result();
        ASSERT_TRUE(box.found);
        EXPECT_EQ(box.caption, "The Vantorel problem file is already open");
    }
    {
        ModalAnswerer answer(28602);  // Open selected copy: the first frame
        EXPECT_EQ(CheckPreviousInstance(asked_.c_str()), 1);
        ASSERT_TRUE(answer.Result().found);
    }
    {
        ModalAnswerer answer(IDCANCEL);
        EXPECT_EQ(CheckPreviousInstance(asked_.c_str()), 1);
    }
    std::string nobody = folder_ + "\\Nobody has this.vr";
    ModalAnswerer none(IDCANCEL, 500);
    EXPECT_EQ(CheckPreviousInstance(nobody.c_str()), 0);  // no instance qualifies: no dialog
    gCheckPrevious = 0;  // "Check previous" off
    EXPECT_EQ(CheckPreviousInstance(asked_.c_str()), 0);
    gCheckPrevious = 1;
    EXPECT_FALSE(none.Result().found);
}

}  // namespace
