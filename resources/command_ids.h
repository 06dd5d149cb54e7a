/* The one list of commands of menus, toolbars and accelerators. The ids,
   the toolbar table, the stated commands, their enable rules and the
   tooltip strings all derive from VR_COMMANDS, so they cannot drift apart.
   Adding a command is one row here, its handler and its menu item.

   B(name, id, slot, rule, tooltip): a command with a toolbar button. The
     slot is the button's index in stored toolbar layouts and in the button
     bitmaps (ORDER SLOT: users' layouts depend on it; never renumber).
   C(name, id, rule): a command without a button.
   rule: the CommandRule (shell/command_state.h) that enables it from the
     program's state; kRuleNone leaves the command alone.

   Rows go by ascending id, grouped by hundreds: 1xx File, 2xx Edit,
   3xx Output, 4xx Window, 5xx Go, 6xx Draw (forwarded by the frame to the
   active graph window), 7xx Configuration, 9xx Help. The resource compiler
   cannot read the C++ enum below: CMake writes the rows' #defines for it
   (vr_write_command_defines in cmake/Vantorel.cmake). */
#ifndef VR_COMMAND_IDS_H
#define VR_COMMAND_IDS_H

/* A button's tooltip (and popup-menu text) is the string at this offset
   from its command id. */
#define VR_TOOLTIP_STRING_OFFSET 14400

#define VR_COMMANDS(B, C) \
    B(IDM_NEW, 101, 0, kRuleIdle, "New problem")                                                          \
    B(IDM_OPEN, 102, 1, kRuleIdle, "Open problem")                                                        \
    B(IDM_SAVE, 103, 2, kRuleNone, "Save problem")                                                        \
    B(IDM_SAVE_AS, 104, 3, kRuleNone, "Save as")                                                          \
    B(IDM_PRINTER_SETUP, 105, 4, kRuleNone, "Printer setup")                                              \
    B(IDM_PRINT, 106, 5, kRuleWindowIdle, "Print")                                                        \
    B(IDM_MAIL, 107, 81, kRuleNone, "Mail")                                                               \
    B(IDM_EXIT, 108, 6, kRuleIdle, "Quit")                                                                \
    B(IDM_OPEN_EXAMPLE, 109, 90, kRuleIdle, "Open example")                                               \
    B(IDM_NEW_INSTANCE, 110, 94, kRuleNone, "New instance")                                               \
    B(IDM_OPEN_COPY, 111, 95, kRuleFullPath, "Open a copy")                                               \
    C(IDM_EDITOR_SWITCH, 161, kRuleNone) /* editor windows: back to the main window */                    \
    C(IDM_EDITOR_ABANDON, 162, kRuleNone) /* editor windows: leave without storing */                     \
    C(IDM_RECENT_1, 170, kRuleRecent) /* recent files: the File menu's list */                            \
    C(IDM_RECENT_2, 171, kRuleRecent)                                                                     \
    C(IDM_RECENT_3, 172, kRuleRecent)                                                                     \
    C(IDM_RECENT_4, 173, kRuleRecent)                                                                     \
    C(IDM_RECENT_5, 174, kRuleRecent)                                                                     \
    C(IDM_RECENT_6, 175, kRuleRecent)                                                                     \
    C(IDM_RECENT_7, 176, kRuleRecent)                                                                     \
    C(IDM_RECENT_8, 177, kRuleRecent)                                                                     \
    C(IDM_RECENT_9, 178, kRuleRecent)                                                                     \
    C(IDM_EDITOR_NOTES_CLOSED, 180, kRuleNone)                                                            \
    C(IDM_EDITOR_ALL_CLOSED, 181, kRuleNone)                                                              \
    B(IDM_TYPE, 201, 7, kRuleIdle, "Type")                                                                \
    B(IDM_VARIABLES, 202, 8, kRuleIdle, "Variables")                                                      \
    B(IDM_VARIABLES_KEY, 203, 9, kRuleIdle, "Variables (keys)")                                           \
    B(IDM_PARAMETERS, 204, 10, kRuleIdle, "Parameters")                                                   \
    B(IDM_EQUATIONS, 205, 11, kRuleIdle, "Equations")                                                     \
    B(IDM_INITIAL_CONDITIONS, 206, 12, kRuleIdle, "Initial conditions")                                   \
    B(IDM_BOUNDARY_CONDITIONS, 207, 82, kRuleIdle, "Boundary conditions")                                 \
    B(IDM_RANGE, 208, 13, kRuleIdle, "Range")                                                             \
    B(IDM_RANGE_KEY, 209, 14, kRuleIdle, "Range (keys)")                                                  \
    B(IDM_METHOD, 210, 15, kRuleFlowIdle, "Method") /* greyed for a map, which has no choice of method */ \
    B(IDM_NOTES, 211, 16, kRuleIdle, "Notes")                                                             \
    B(IDM_ALL_SETTINGS, 212, 17, kRuleIdle, "All settings")                                               \
    B(IDM_HTML_NOTES, 213, 91, kRuleHtmlNotes, "HTML notes")                                              \
    B(IDM_EDIT_HTML_NOTES, 214, 96, kRuleNone, "Edit HTML notes")                                         \
    B(IDM_INITIAL_BROWSER, 221, 84, kRuleIdle, "Initial values")                                          \
    B(IDM_PARAMETER_BROWSER, 222, 85, kRuleIdle, "Parameter browser")                                     \
    B(IDM_CALCULATOR, 230, 97, kRuleNone, "Calculator")                                                   \
    C(IDM_EDIT_UNDO, 251, kRuleNone)                                                                      \
    C(IDM_EDIT_CUT, 252, kRuleNone)                                                                       \
    C(IDM_EDIT_COPY, 253, kRuleNone)                                                                      \
    C(IDM_EDIT_PASTE, 254, kRuleNone)                                                                     \
    C(IDM_EDIT_CLEAR, 255, kRuleNone)                                                                     \
    C(IDM_EDIT_SELECT_ALL, 256, kRuleNone)                                                                \
    C(IDM_EDIT_FIND, 291, kRuleNone)                                                                      \
    C(IDM_EDIT_REPLACE, 292, kRuleNone)                                                                   \
    B(IDM_NEW_GRAPH, 301, 18, kRuleIdle, "New graph window")                                              \
    B(IDM_GRAPHICS_FORMAT, 302, 19, kRuleGraph, "Graphics format")                                        \
    B(IDM_COLOR, 303, 20, kRuleGraph, "Colours")                                                          \
    B(IDM_VIEW_POINT, 304, 21, kRuleWindowIdle, "View point")                                             \
    B(IDM_NEW_TEXT, 305, 22, kRuleIdle, "New text window")                                                \
    B(IDM_TEXT_FORMAT, 306, 23, kRuleTextIdle, "Text format")                                             \
    B(IDM_PLOTTER_SETTINGS, 307, 24, kRuleGraph, "Plotter settings")                                      \
    B(IDM_PLOTTER_OUTPUT, 308, 25, kRuleIdle, "Plotter output")                                           \
    B(IDM_DRAW_TO_PLOTTER, 309, 70, kRulePlotterIdle, "Draw to plotter")                                  \
    B(IDM_EJECT_PAGE, 310, 26, kRulePlotterIdle, "Eject page")                                            \
    B(IDM_WRITE_EPILOG, 311, 27, kRulePlotterIdle, "Write epilog")                                        \
    B(IDM_STATUS_LINE, 312, 28, kRuleIdle, "Status line")                                                 \
    B(IDM_ERASE_WINDOW, 411, 29, kRuleWindow, "Erase window") /* lParam: the window to erase */           \
    B(IDM_ERASE_ALL, 412, 30, kRuleWindow, "Erase all")                                                   \
    B(IDM_GET_SCREEN, 413, 31, kRuleShownIdle, "Get screen")                                              \
    B(IDM_PUT_SCREEN, 414, 32, kRulePicture, "Put screen")                                                \
    B(IDM_SAVE_SCREEN, 415, 33, kRuleShownIdle, "Save screen")                                            \
    B(IDM_LOAD_SCREEN, 416, 34, kRuleGraph, "Load screen")                                                \
    B(IDM_SAVE_POINTS, 417, 83, kRuleGraph, "Save points")                                                \
    B(IDM_CASCADE, 418, 35, kRuleShown, "Cascade")                                                        \
    B(IDM_TILE_HORIZONTAL, 419, 36, kRuleShown, "Tile horizontally")                                      \
    B(IDM_TILE_VERTICAL, 420, 37, kRuleShown, "Tile vertically")                                          \
    B(IDM_ARRANGE_ICONS, 421, 38, kRuleMinimised, "Arrange icons")                                        \
    B(IDM_CLOSE, 422, 39, kRuleChildrenIdle, "Close window")                                              \
    B(IDM_CLOSE_ALL, 423, 40, kRuleChildrenIdle, "Close all")                                             \
    B(IDM_CLONE, 424, 86, kRuleChildrenIdle, "Clone window")                                              \
    B(IDM_COPY_WINDOW, 425, 87, kRuleChildrenIdle, "Copy window")                                         \
    B(IDM_PASTE_WINDOW, 426, 88, kRuleWindowClipboard, "Paste window")                                    \
    C(IDM_CLOSE_ALL_SILENT, 427, kRuleNone)                                                               \
    B(IDM_START, 501, 41, kRuleIdle, "Start")                                                             \
    B(IDM_STOP, 502, 42, kRuleRunning, "Stop")                                                            \
    B(IDM_CONTINUE, 503, 43, kRuleContinue, "Continue")                                                   \
    B(IDM_BACKWARD, 504, 44, kRuleFlowIdle, "Backward") /* checked while "Backward" is set */             \
    B(IDM_REFRESH_WINDOW, 601, 45, kRuleShownIdle, "Refresh window")                                      \
    B(IDM_REFRESH_ALL, 602, 46, kRuleShownIdle, "Refresh all")                                            \
    B(IDM_FULL_SCREEN, 603, 80, kRuleNone, "Full screen")                                                 \
    B(IDM_NEW_ELEMENT, 605, 47, kRuleGraph, "New element")                                                \
    B(IDM_EDIT_ELEMENT, 606, 48, kRuleGraph, "Edit element")                                              \
    B(IDM_NEXT_ELEMENT, 607, 76, kRuleGraph, "Next element")                                              \
    B(IDM_PREVIOUS_ELEMENT, 608, 77, kRuleGraph, "Previous element")                                      \
    B(IDM_COPY_ELEMENT, 609, 49, kRuleGraph, "Copy element")                                              \
    B(IDM_ELEMENT_TO_CLIPBOARD, 610, 92, kRuleGraph, "Element to clipboard")                              \
    B(IDM_ELEMENT_FROM_CLIPBOARD, 611, 93, kRuleGraph, "Element from clipboard")                          \
    B(IDM_REMOVE_ELEMENT, 612, 50, kRuleGraph, "Remove element")                                          \
    B(IDM_REMOVE_ALL_ELEMENTS, 613, 51, kRuleGraph, "Remove all elements")                                \
    C(IDM_DRAW_SPARE_1, 615, kRuleGraph) /* no menu item; stated as the Draw commands */                  \
    C(IDM_DRAW_SPARE_2, 616, kRuleGraph) /* are, so that a later one needs no rule */                     \
    B(IDM_MODE_INITIAL_CONDITIONS, 641, 55, kRuleGraph, "Initial values mode")                            \
    B(IDM_MODE_SELECT, 642, 56, kRuleGraph, "Select mode")                                                \
    B(IDM_MODE_MOVE, 643, 57, kRuleGraph, "Move mode")                                                    \
    B(IDM_MODE_ORIGIN, 644, 58, kRuleGraph, "Origin mode")                                                \
    B(IDM_MODE_POINT, 645, 59, kRuleGraph, "Point mode")                                                  \
    B(IDM_MODE_THIRD, 646, 60, kRuleGraph, "Third point mode")                                            \
    B(IDM_MODE_FIRST, 647, 61, kRuleGraph, "First value mode")                                            \
    B(IDM_MODE_LAST, 648, 62, kRuleGraph, "Last value mode")                                              \
    B(IDM_MODE_ROTATE, 649, 63, kRuleGraph, "Rotate mode")                                                \
    B(IDM_ZOOM_IN, 661, 52, kRuleGraph, "Zoom in")                                                        \
    B(IDM_ZOOM_OUT, 662, 53, kRuleGraph, "Zoom out")                                                      \
    B(IDM_ACTUAL_SIZE, 663, 54, kRuleGraph, "Actual size")                                                \
    B(IDM_LARGER_STEP, 664, 78, kRuleGraph, "Larger step")                                                \
    B(IDM_SMALLER_STEP, 665, 79, kRuleGraph, "Smaller step")                                              \
    B(IDM_NEXT_FRACTAL_ORDER, 666, 64, kRuleGraph, "Next fractal order")                                  \
    B(IDM_PREVIOUS_FRACTAL_ORDER, 667, 75, kRuleGraph, "Previous fractal order")                          \
    B(IDM_PREFERENCES, 701, 65, kRuleNone, "Preferences")                                                 \
    B(IDM_TOOLBARS, 702, 66, kRuleNone, "Toolbars")                                                       \
    B(IDM_EXTERNAL_CODES, 703, 67, kRuleNone, "External codes")                                           \
    B(IDM_MATH_EXTENSIONS, 704, 68, kRuleNone, "Math extensions")                                         \
    B(IDM_PLOTTER_DRIVERS, 705, 69, kRuleNone, "Plotter drivers")                                         \
    B(IDM_FONT_FILES, 706, 71, kRuleNone, "Font files")                                                   \
    B(IDM_ESCAPE_SEQUENCES, 707, 72, kRuleNone, "Escape sequences")                                       \
    B(IDM_MATHEMATICA, 708, 89, kRuleNone, "Mathematica")                                                 \
    B(IDM_HELP_INDEX, 901, 73, kRuleNone, "Help index")                                                   \
    C(IDM_HELP_SEARCH, 902, kRuleNone)                                                                    \
    C(IDM_HELP_ON_HELP, 903, kRuleNone)                                                                   \
    B(IDM_SHOW_FONTS, 904, 74, kRuleNone, "Show fonts")                                                   \
    C(IDM_ABOUT, 905, kRuleNone)                                                                          \
    C(IDM_UPDATES, 906, kRuleNone)                                                                        \
    C(IDM_CODE_LIBRARY_SEPARATOR, 931, kRuleNone)                                                         \
    C(IDM_CODE_LIBRARY_HELP, 932, kRuleNone)                                                              \
    C(IDM_MATH_HELP_SEPARATOR, 941, kRuleNone)                                                            \
    C(IDM_MATH_HELP_FIRST, 942, kRuleNone) /* + the index of a plug-in with a help file */                \
    C(IDM_TEXT_WINDOW_HELP, 967, kRuleNone)

#ifdef RC_INVOKED
#include "command_ids_rc.h"
#else
enum CommandId {
#define VR_COMMAND_ID_B(name, id, slot, rule, tooltip) name = id,
#define VR_COMMAND_ID_C(name, id, rule) name = id,
    VR_COMMANDS(VR_COMMAND_ID_B, VR_COMMAND_ID_C)
#undef VR_COMMAND_ID_B
#undef VR_COMMAND_ID_C
};
#endif

/* The File menu lists up to nine recent problems. */
#define IDM_RECENT_FIRST IDM_RECENT_1
#define IDM_RECENT_LAST IDM_RECENT_9

#ifdef __cplusplus
constexpr int kCmdExit = IDM_EXIT;
constexpr int kCmdMethod = IDM_METHOD;
constexpr int kEraseWindowCommand = IDM_ERASE_WINDOW;
constexpr int kCmdStart = IDM_START;
constexpr int kCmdStop = IDM_STOP;
constexpr int kCmdContinue = IDM_CONTINUE;
constexpr int kCmdBackward = IDM_BACKWARD;
constexpr int kMathHelpSeparatorCommand = IDM_MATH_HELP_SEPARATOR;
constexpr int kMathHelpFirstCommand = IDM_MATH_HELP_FIRST;
#endif

#endif
