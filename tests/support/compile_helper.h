// Compiles test expressions one after the other into the problem's P-code
// buffer; *used counts the bytes taken so far.
#pragma once
#include <gtest/gtest.h>

#include "compiler.h"
#include "workspace.h"

inline PcodeProgram *CompileIntoBuffer(const char *text, unsigned *used) {
    unsigned char *at = gPcodeBuffer + *used;
    const int length = CompileExpression(text, at, static_cast<int>(gPcodeLength - *used));
    EXPECT_GT(length, 0) << text;
    if (length > 0) *used += static_cast<unsigned>(length);
    return reinterpret_cast<PcodeProgram *>(at);
}
