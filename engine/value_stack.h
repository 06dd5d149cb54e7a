// The value stack alone, for the code that marks or resets it without the
// rest of the workspace (workspace.cpp allocates it).
#pragma once

// The interpreter's stack of doubles; a stack of L slots holds L - 1 values.
struct ValueStack {
    double *base;
    double *top;    // next free slot
    double *limit;  // last slot
};

extern ValueStack gValueStack;
