#include "settings.h"

#include <cstring>

#include "string_ids.h"

SettingsLocations gSettingsLocations;

int ExpandProgramFolder(const char *value, const char *programFolder, char *out, int size) {
    if (size <= 0) return -1;
    out[0] = 0;
    const char *rest = value;
    size_t folderLength = 0;
    if (value[0] == ':') {
        rest = value + 1;
        folderLength = std::strlen(programFolder);
    }
    size_t restLength = std::strlen(rest);
    if (folderLength + restLength >= static_cast<size_t>(size)) return -1;
    std::memcpy(out, programFolder, folderLength);
    std::memcpy(out + folderLength, rest, restLength + 1);
    return static_cast<int>(folderLength + restLength);
}

// Integer options: key, variable, default, flags. The variables start at
// their defaults, which matters for the keys whose reading passes the value
// held before (kOptionDefaultIsCurrent). ORDER: the order of WriteOptions.
#define VR_INT_OPTIONS(X)                                                       \
    X(IDS_KEY_HIDE_BROWSERS, gHideBrowsers, 1, 0)                               \
    X(IDS_KEY_POINT_SIZE, gPointSize, 8, 0)                                     \
    X(IDS_KEY_FIXED_POINT, gFixedPoint, 1, 0)                                   \
    X(IDS_KEY_ENTER_KEY, gEnterKey, 1, 0)                                       \
    X(IDS_KEY_SAVE_POSITION, gSavePosition, 1, 0)                               \
    X(IDS_KEY_SHOW_EXTENSIONS, gShowExtensions, 0, 0)                           \
    X(IDS_KEY_DRAW_WHILE_EDITING, gDrawWhileEditing, 1, 0)                      \
    X(IDS_KEY_DOUBLE_CLICK, gDoubleClick, 1, 0)                                 \
    X(IDS_KEY_FILENAME_LENGTH, gFilenameLength, 50, 0)                          \
    X(IDS_KEY_POWER_DENOMINATOR, gPowerDenominator, 0, kOptionDefaultIsCurrent) \
    X(IDS_KEY_NO_MY_DOCS, gNoMyDocs, 0, 0)                                      \
    X(IDS_KEY_USE_SCROLL_BARS, gUseScrollBars, 1, 0)                            \
    X(IDS_KEY_MASK_87, gMask87, 0, kOptionDefaultIsCurrent)                     \
    X(IDS_KEY_IGNORE_AUTO_START, gIgnoreAutoStart, 0, kOptionDefaultIsCurrent)  \
    X(IDS_KEY_HELP_ON_TOP, gHelpOnTop, 0, kOptionDefaultIsCurrent)              \
    X(IDS_KEY_INFINITY_WARNING, gInfinityWarning, 1, 0)                         \
    X(IDS_KEY_CHANGE_CURSOR, gChangeCursor, 0, 0)                               \
    X(IDS_KEY_BIG_BUTTONS, gBigButtons, 0, 0)                                   \
    X(IDS_KEY_DISABLED_BUTTONS, gDisabledButtons, 2, 0)                         \
    X(IDS_KEY_SHOW_HINTS, gShowHints, 0, 0)                                     \
    X(IDS_KEY_SHOW_POPUP_HINTS, gShowPopupHints, 2, 0)                          \
    X(IDS_KEY_BOLD_STATUS_LINE, gBoldStatusLine, 0, 0)                          \
    X(IDS_KEY_BOLD_EDIT_WINDOWS, gBoldEditWindows, 0, 0)                        \
    X(IDS_KEY_BOLD_TEXT_WINDOWS, gBoldTextWindows, 0, 0)                        \
    X(IDS_KEY_PUT_BMP, gPutBmp, 1, 0)                                           \
    X(IDS_KEY_PUT_DIB, gPutDib, 1, 0)                                           \
    X(IDS_KEY_PUT_METAFILE, gPutMetaFile, 1, 0)                                 \
    X(IDS_KEY_ASPECT_RATIO, gAspectRatio, 0, 0)                                 \
    X(IDS_KEY_OUTPUT_BITMAP, gOutputBitmap, 2, 0)                               \
    X(IDS_KEY_OUTPUT_METAFILE, gOutputMetafile, 1, 0)                           \
    X(IDS_KEY_AXES, gAxes, 0, 0)                                                \
    X(IDS_KEY_AXES_ELEMENT, gAxesElement, 0, 0)                                 \
    X(IDS_KEY_TIP, gTip, 1, 0)                                                  \
    X(IDS_KEY_TRANSPARENCY, gTransparency, 30, kOptionDefaultIsCurrent)         \
    X(IDS_KEY_X_POSITION, gFrameXPosition, 0, kPlacement)                       \
    X(IDS_KEY_Y_POSITION, gFrameYPosition, 0, kPlacement)                       \
    X(IDS_KEY_WIDTH, gFrameWidth, 0, kPlacement)                                \
    X(IDS_KEY_HEIGHT, gFrameHeight, 0, kPlacement)                              \
    X(IDS_KEY_MAXIMIZED, gFrameMaximized, 0, kPlacement)                        \
    /* Read at start-up by ReadCheckPreviousOption, written with the rest. */   \
    X(IDS_KEY_CHECK_PREVIOUS, gCheckPrevious, 1, kOptionNotRead)                \
    /* Read by ReadDcAndFpuOptions before the window classes exist. */          \
    X(IDS_KEY_OWN_DC, gOwnDc, 1, kOptionNotRead | kOptionNotWritten)            \
    X(IDS_KEY_CONTROL_87, gControl87, 50,                                       \
      kOptionNotRead | kOptionNotWritten | kOptionDefaultIsCurrent)

namespace {
// The frame placement is saved by the frame, not by the preferences.
constexpr unsigned kPlacement = kOptionFramePlacement | kOptionNotWritten;
}  // namespace

#define VR_DEFINE_OPTION(id, variable, initial, flags) int variable = initial;
VR_INT_OPTIONS(VR_DEFINE_OPTION)
#undef VR_DEFINE_OPTION

char gIdentifier[kIdentifierSize];
// Filled from string 1540 by ReadOptions; the same text until then.
char gVantorelExtensions[kProblemPatternSize] = "*.vr";
char gHelpFile[kSettingsPathSize + 1];

const OptionEntry kOptionTable[] = {
    {IDS_KEY_IDENTIFIER, 0, 0, nullptr, gIdentifier, kIdentifierSize},
    {IDS_KEY_VANTOREL_EXTENSIONS, 0, IDS_PROBLEM_FILE_PATTERN, nullptr, gVantorelExtensions,
     kProblemPatternSize},
#define VR_OPTION_ROW(id, variable, initial, flags) {id, flags, initial, &variable, nullptr, 0},
    VR_INT_OPTIONS(VR_OPTION_ROW)
#undef VR_OPTION_ROW
};
const int kOptionCount = sizeof kOptionTable / sizeof kOptionTable[0];

const OptionEntry *FindOption(int keyId) {
    for (const OptionEntry &e : kOptionTable)
        if (e.keyId == keyId) return &e;
    return nullptr;
}

// Each layout: '1' shown or '0' not created, then two-character entries: an
// index into the toolbar command table, or -1 for a separator.
const char *const kDefaultToolbarLayouts[kToolbarCount] = {
    "1000102-10525-11716-18485-10813-141424344-12021-12930192328-180-173",
    "0",
    "04546-16475-170-147484950-1525354",
    "0555657-1585960616263-17677-17879-174",
    "0",
};

// Filled by ReadOptions before any toolbar is built.
char gToolbarLayouts[kToolbarCount][kToolbarLayoutSize];

char gRecentProblems[kRecentProblemMax][kRecentPathSize];
int gRecentProblemCount;

EscapeMacro gEscapeMacros[kEscapeMacroCount] = {
    {'!', ""}, {'"', ""}, {'#', ""}, {'$', ""}, {'%', ""}, {'&', ""},
    {'\'', ""}, {'(', "\\_20\\/1.2"}, {')', "\\^30\\/1.2"}, {',', ""}, {';', ""}, {'<', ""},
    {'=', ""}, {'>', ""}, {'?', ""}, {'@', ""}, {'[', "\\-10\\_20\\/1.2"}, {'\\', "\\92"},
    {']', "\\+10\\^30\\/1.2"}, {'`', ""}, {'{', ""}, {'|', ""}, {'}', ""}, {'~', ""},
};
