// The dialogs of the file channels on real windows, answered from a watcher
// thread: what they show, and what the channel keeps afterwards.
#include <windows.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "drive_dialog.h"
#include "file_channels.h"
#include "platform_win32.h"
#include "resource_ids.h"
#include "solver_method.h"
#include "win32_modal.h"

namespace {

// Presses OK on a dialog with bad text first: the dialog must stay open and
// take the good text after.
struct RetryScript {
    DWORD thread;
    int field;
    const char *bad;
    const char *good;
    bool stayedOpen;
};

BOOL CALLBACK FindDialogOfThread(HWND window, LPARAM found) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) != "#32770" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND *>(found) = window;
    return FALSE;
}

DWORD WINAPI RetryWatcher(LPVOID param) {
    RetryScript *script = static_cast<RetryScript *>(param);
    HWND dialog = nullptr;
    for (int i = 0; i < 1500 && !dialog; ++i) {
        EnumThreadWindows(script->thread, FindDialogOfThread, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) Sleep(20);
    }
    if (!dialog) return 0;
    Sleep(50);
    SendMessageA(GetDlgItem(dialog, script->field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(script->bad));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    script->stayedOpen = IsWindow(dialog) && IsWindowVisible(dialog);
    SendMessageA(GetDlgItem(dialog, script->field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(script->good));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}

// Runs RetryWatcher on the calling thread's next dialog while body runs.
template <class Body> bool RetriedOnce(int field, const char *bad, const char *good, Body body) {
    RetryScript script = {GetCurrentThreadId(), field, bad, good, false};
    HANDLE watcher = CreateThread(nullptr, 0, RetryWatcher, &script, 0, nullptr);
    body();
    WaitForSingleObject(watcher, INFINITE);
    CloseHandle(watcher);
    return script.stayedOpen;
}

class ChannelDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        gFrameWindow = nullptr;
        gRunState.stopRequested = 0;
    }
    void TearDown() override {
        FreeFileChannels();
        gRunState.stopRequested = 0;
    }
};

TEST_F(ChannelDialogsTest, InputReturnsTheTypedValue) {
    ModalScript script(std::vector<ModalStep>{{IDOK, {{IDC_INPUT_VALUE, " -12.5e1 "}}}});
    EXPECT_EQ(ChannelInput(2.5), -125);
    const std::vector<ModalCapture> &seen = script.Results();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, "Input value");
    EXPECT_EQ(seen[0].controlTexts.at(IDC_INPUT_PROMPT), "Input 2.5:");
    EXPECT_EQ(gRunState.stopRequested, 0);
}

TEST_F(ChannelDialogsTest, CancelledInputStopsTheRunAndKeepsX) {
    ModalScript script(std::vector<ModalStep>{{IDCANCEL, {{IDC_INPUT_VALUE, "7"}}}});
    EXPECT_EQ(ChannelInput(4), 4);
    EXPECT_EQ(script.Results().size(), 1u);
    EXPECT_EQ(gRunState.stopRequested, 1);
}

TEST_F(ChannelDialogsTest, TextThatIsNoNumberKeepsTheInputOpen) {
    for (const char *bad : {"", "abc", "3x"}) {
        double value = 0;
        EXPECT_TRUE(RetriedOnce(IDC_INPUT_VALUE, bad, "0.5", [&] { value = ChannelInput(1); })) << bad;
        EXPECT_EQ(value, 0.5) << bad;
    }
}

TEST_F(ChannelDialogsTest, EmptyFieldsKeepTheFileDialogOpen) {
    double result = 0;
    EXPECT_TRUE(RetriedOnce(IDC_CHANNEL_FILE, "", "C:\\in.txt", [&] { result = ChannelOpenRead(1, 2); }));
    EXPECT_EQ(result, 2);
    EXPECT_EQ(std::string(gInputChannels.selected->fileName), "C:\\in.txt");
    EXPECT_EQ(std::string(gInputChannels.selected->format), "%lg");
}

TEST_F(ChannelDialogsTest, OutputFileDialogSetsTheChannel) {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    const std::string path = std::string(folder) + "vr_channel_dialog.double";
    std::remove(path.c_str());
    ModalScript script(
        std::vector<ModalStep>{{IDOK, {{IDC_CHANNEL_FILE, path}, {IDC_CHANNEL_FORMAT, "%.2f\\n"}}}});
    EXPECT_EQ(ChannelOpenWrite(12, 5), 5);
    const std::vector<ModalCapture> &seen = script.Results();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, "Output File");
    EXPECT_EQ(seen[0].controlTexts.at(IDC_CHANNEL_NUMBER), "12");
    EXPECT_EQ(seen[0].controlTexts.at(IDC_CHANNEL_FILE), "");
    EXPECT_EQ(seen[0].controlTexts.at(IDC_CHANNEL_FORMAT), "%g\\n");

    const OutputChannel *c = gOutputChannels.selected;
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(std::string(c->fileName), path);
    EXPECT_EQ(std::string(c->format), "%.2f\\n");
    EXPECT_EQ(c->kind, kChannelDouble);
    EXPECT_EQ(ChannelWrite(12, 0.5), 0.5);  // no dialog: the file is known
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 8u);
    std::remove(path.c_str());
}

// Browse asks for a text file by the channel's own filter; a name without
// an extension gets ".txt" and goes into the field.
TEST_F(ChannelDialogsTest, BrowseAsksForATextFileAndFillsTheField) {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    const std::string name = std::string(folder) + "vr_channel_browse";
    const DWORD thread = GetCurrentThreadId();
    FileQuestion asked;
    std::string field;
    DialogDriver driver("Output File", [&](HWND d) {
        PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_CHANNEL_BROWSE, BN_CLICKED), 0);
        asked = AnswerFileQuestion(thread, d, name);
        field = ItemText(d, IDC_CHANNEL_FILE);
        PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_EQ(ChannelOpenWrite(4, 7), 7);
    ASSERT_TRUE(driver.Wait());
    EXPECT_EQ(asked.filter, "Text files (*.txt)");
    EXPECT_EQ(field, name + ".txt");
    ASSERT_NE(gOutputChannels.selected, nullptr);
    EXPECT_EQ(std::string(gOutputChannels.selected->fileName), name + ".txt");
    std::remove((name + ".txt").c_str());
}

TEST_F(ChannelDialogsTest, BmpDialogSetsFolderAndPattern) {
    ModalScript script(std::vector<ModalStep>{{IDOK, {{IDC_BMP_FOLDER, "C:\\shots"}}}});
    EXPECT_EQ(ChannelOpenBmp(-3, 1), 1);
    const std::vector<ModalCapture> &seen = script.Results();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, "BMP Files");
    EXPECT_EQ(seen[0].controlTexts.at(IDC_BMP_NUMBER), "-3");
    EXPECT_EQ(seen[0].controlTexts.at(IDC_BMP_PATTERN), "scr%05d.bmp");
    EXPECT_EQ(std::string(gBitmapChannels.selected->folder), "C:\\shots");
    EXPECT_EQ(std::string(gBitmapChannels.selected->pattern), "scr%05d.bmp");
}

}  // namespace
