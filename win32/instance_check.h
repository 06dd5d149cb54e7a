// The check at start-up for other running instances that hold the same
// problem file. An instance's frame answers the private query message with a
// global atom holding its problem path; the asker reads and deletes it.
#pragma once
#include <windows.h>

#include "resource_ids.h"

constexpr UINT kInstanceQueryMessage = WM_USER + 561;  // 1585
constexpr WPARAM kInstanceQueryWParam = 17940;
constexpr LPARAM kInstanceQueryLParam = static_cast<LPARAM>(0xE99ADBBDUL);
constexpr int kAlreadyRunningDialog = IDD_ALREADY_RUNNING;

// Set when the check saw another frame of the program (start-up then lets
// the system place this instance's frame).
extern int gOtherFrameSeen;

// The frame's answer to the query: the atom of problemPath in the low word,
// 0 when the message is not the query or there is no path.
LRESULT AnswerInstanceQuery(WPARAM wParam, LPARAM lParam, const char *problemPath);

// True when frame's instance holds path (compared as short paths, without
// regard to case); an empty path matches every instance.
bool InstanceHasSameProblem(const char *path, HWND frame);

// Lists into box 28601 of dialog the other instances that qualify for
// problemPath; returns how many.
int CollectRunningInstances(HWND dialog, const char *problemPath);
BOOL CALLBACK CollectInstanceProc(HWND window, LPARAM dialog);

bool ActivateChosenInstance(HWND dialog);
INT_PTR CALLBACK AlreadyRunningDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Dialog 870 when "Check previous" is set, for this instance's problem path
// (empty when none): nonzero means this instance ends (the user switched to
// another one, or cancelled).
int CheckPreviousInstance(const char *problemPath);
