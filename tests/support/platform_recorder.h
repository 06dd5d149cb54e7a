// Test double of the platform services: records every message box, menu
// change and pump, and answers boxes from a script. Strings come from the
// compiled string list.
#pragma once
#include <string>
#include <vector>

struct RecordedBox {
    std::string text;
    std::string caption;
    unsigned style;
    int helpId;
};

struct PlatformRecorder {
    std::vector<RecordedBox> boxes;
    std::vector<int> answers;           // consumed in order; then defaultAnswer
    int defaultAnswer = 1;              // OK
    std::vector<std::pair<int, bool>> commandStates;
    int pumps = 0;

    void Reset() { *this = PlatformRecorder(); }
};

extern PlatformRecorder gRecorder;
