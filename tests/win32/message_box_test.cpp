// The real message-box path under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include "memory.h"
#include "messages.h"
#include "solver_method.h"
#include "string_table.h"
#include "win32_modal.h"

namespace {

TEST(Win32MessageBox, OutOfMemoryReportShowsTheStringAndIsAnsweredOk) {
    gRunState.stopRequested = 0;
    ModalAnswerer answer(IDOK);
    ReportOutOfMemory();
    const ModalCapture &box = answer.Result();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, "Not enough memory");
    EXPECT_EQ(box.caption, "Vantorel Error");
    EXPECT_EQ(gRunState.stopRequested, 0);
    gOutOfMemory = 0;
}

TEST(Win32MessageBox, CancelRequestsAStop) {
    gRunState.stopRequested = 0;
    ModalAnswerer answer(IDCANCEL);
    ShowErrorBox(10211);
    ASSERT_TRUE(answer.Result().found);
    EXPECT_EQ(gRunState.stopRequested, 1);
    gRunState.stopRequested = 0;
}

// The resource script and the compiled list come from one source; check that
// windres and the C++ compiler read every text alike.
TEST(Win32Resources, StringTableMatchesTheCompiledList) {
    for (const StringTableEntry *e = kStringTable; e->text; ++e) {
        char buffer[4096];
        int n = LoadStringA(GetModuleHandleA(nullptr), e->id, buffer, sizeof buffer);
        ASSERT_GT(n, 0) << e->id;
        EXPECT_STREQ(buffer, e->text) << e->id;
    }
}

}  // namespace
