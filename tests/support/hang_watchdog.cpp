// A Win32 test left waiting on a window nobody answers would hold its whole
// program until ctest's limit, and say nothing about what it waited on. Past
// a limit of its own a test is named with the windows of its thread, and the
// program ends with a failure, so the remaining programs still run.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace {

// Under the 32-bit emulator a single test may run a few minutes on a busy
// machine; none comes near this.
DWORD LimitMs() { return (std::getenv("VR_EMULATED") ? 900u : 300u) * 1000u; }

// Read without a message: the test's thread is the one that is stuck.
std::string TextOf(HWND w) {
    WCHAR wide[512] = L"";
    InternalGetWindowText(w, wide, 512);
    char text[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

BOOL CALLBACK PrintWindow(HWND w, LPARAM) {
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    std::fprintf(stderr, "  %s \"%s\"%s", cls, TextOf(w).c_str(), IsWindowVisible(w) ? " visible" : "");
    if (HWND text = GetDlgItem(w, 0xFFFF)) std::fprintf(stderr, " text \"%s\"", TextOf(text).c_str());
    std::fprintf(stderr, "\n");
    return TRUE;
}

class HangWatchdog : public testing::EmptyTestEventListener {
public:
    HangWatchdog() {
        InitializeCriticalSection(&lock_);
        CloseHandle(CreateThread(nullptr, 0, Watch, this, 0, nullptr));
    }

private:
    void OnTestStart(const testing::TestInfo &info) override {
        EnterCriticalSection(&lock_);
        name_ = std::string(info.test_suite_name()) + "." + info.name();
        thread_ = GetCurrentThreadId();
        start_ = GetTickCount();
        running_ = true;
        LeaveCriticalSection(&lock_);
    }
    void OnTestEnd(const testing::TestInfo &) override {
        EnterCriticalSection(&lock_);
        running_ = false;
        LeaveCriticalSection(&lock_);
    }
    static DWORD WINAPI Watch(LPVOID param) {
        HangWatchdog *self = static_cast<HangWatchdog *>(param);
        const DWORD limit = LimitMs();
        for (;;) {
            Sleep(1000);
            EnterCriticalSection(&self->lock_);
            const bool hung = self->running_ && GetTickCount() - self->start_ > limit;
            LeaveCriticalSection(&self->lock_);
            if (!hung) continue;
            std::fprintf(stderr, "\n%s still runs after %lu s; the windows of its thread:\n", self->name_.c_str(),
                         static_cast<unsigned long>(limit / 1000));
            EnumThreadWindows(self->thread_, PrintWindow, 0);
            std::fflush(stderr);
            std::fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
    CRITICAL_SECTION lock_;
    std::string name_;
    DWORD thread_ = 0;
    DWORD start_ = 0;
    bool running_ = false;
};

[[maybe_unused]] const bool gInstalled = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new HangWatchdog);
    return true;
}();

}  // namespace
