// Stands in for the plug-in's error box in the math tests.
#pragma once
#include <string>

struct ErrorBoxRecorder {
    int count = 0;
    std::string text, caption;  // of the last box

    void Reset() { *this = ErrorBoxRecorder(); }
};

extern ErrorBoxRecorder gErrorBoxes;
