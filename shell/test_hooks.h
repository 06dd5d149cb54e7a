// Hooks through which the program's own tests query and disturb a running
// Vantorel: the frame answers them only when the environment variable
// VR_TEST_HOOKS is "1" at start-up.
#pragma once
#include <windows.h>

constexpr UINT kTestHookMessage = WM_APP + 0x3A5;

enum TestHook {
    kTestHookControlWord = 1,     // answers the x87 control word
    kTestHookFault = 2,           // faults (a write through a null pointer)
    kTestHookProblemChanged = 3,  // answers whether the problem changed
    kTestHookRunning = 4,         // answers whether a run is in progress
    kTestHookChildCount = 5,      // answers the number of child windows
    // The frame menu's state of command lParam, or with lParam -1 - i of its
    // popup i (GetMenuState's answer).
    kTestHookMenuState = 6,
    // With lParam 1 every file write stops halfway as on a full disk; 0 ends it.
    kTestHookDiskFull = 7,
    // The text of the frame menu's item lParam as a global atom (the asker
    // deletes it); 0 when there is no such item.
    kTestHookMenuText = 8,
    // The status bar's text of part lParam (255: the simple-mode part, while
    // the bar is in simple mode) as a global atom (the asker deletes it);
    // " " for an empty part.
    kTestHookStatusText = 9,
    // Answers how many runs have begun since start-up: a short run may begin
    // and end between two looks at kTestHookRunning.
    kTestHookRunsStarted = 10,
};
