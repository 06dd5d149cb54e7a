#include "problem_settings.h"

#include "memory.h"

#define VR_DEFINE_SETTING(id, variable, kind, initial, choices) ProblemValueType<kind>::Type variable = initial;
VR_PROBLEM_SETTINGS(VR_DEFINE_SETTING)
#undef VR_DEFINE_SETTING
// An initial value its variable can hold; a choice's among its values.
#define VR_CHECK_SETTING(id, variable, kind, initial, choices)                                    \
    static_assert(static_cast<ProblemValueType<kind>::Type>(initial) == (initial), #variable);   \
    static_assert(kind != kValueChoice || ((initial) >= 0 && (initial) < (choices)), #variable); \
    static_assert((kind == kValueChoice) == ((choices) > 0), #variable);
VR_PROBLEM_SETTINGS(VR_CHECK_SETTING)
#undef VR_CHECK_SETTING

char *gMathematicaInit;
char *gProjectNotes;
int gProblemChanged;
int gAskForProblemName;

const ProblemSetting *FindProblemSetting(const void *cell) {
    for (const ProblemSetting &s : kProblemSettings)
        if (s.cell == cell) return &s;
    return nullptr;
}

void ResetProblemSettings() {
#define VR_RESET_SETTING(id, variable, kind, initial, choices) variable = initial;
    VR_PROBLEM_SETTINGS(VR_RESET_SETTING)
#undef VR_RESET_SETTING
    FreeAndNull(gMathematicaInit);
    FreeAndNull(gProjectNotes);
}
