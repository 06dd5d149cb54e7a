/* Ids of the commands of menus, toolbars and accelerators, shared by the
   resource script and the code so that the two cannot drift. Plain #defines
   for the resource compiler; the code uses the constants below. */
#ifndef VR_COMMAND_IDS_H
#define VR_COMMAND_IDS_H

#define IDM_EXIT 108
#define IDM_METHOD 210        /* greyed for a map, which has no choice of method */
#define IDM_ERASE_WINDOW 411  /* erases a graph window (lParam: the window) */
#define IDM_START 501
#define IDM_STOP 502
#define IDM_CONTINUE 503
#define IDM_BACKWARD 504      /* greyed for maps, checked while "Backward" is set */
/* Help menu: a separator, then one item per math plug-in with a help file,
   command IDM_MATH_HELP_FIRST + the plug-in's index. */
#define IDM_MATH_HELP_SEPARATOR 941
#define IDM_MATH_HELP_FIRST 942

/* Graph-window commands (menu Draw), forwarded by the frame to the active
   graph window. */
#define IDM_REFRESH_WINDOW 601
#define IDM_REFRESH_ALL 602
#define IDM_FULL_SCREEN 603
#define IDM_NEW_ELEMENT 605
#define IDM_EDIT_ELEMENT 606
#define IDM_NEXT_ELEMENT 607
#define IDM_PREVIOUS_ELEMENT 608
#define IDM_COPY_ELEMENT 609
#define IDM_ELEMENT_TO_CLIPBOARD 610
#define IDM_ELEMENT_FROM_CLIPBOARD 611
#define IDM_REMOVE_ELEMENT 612
#define IDM_REMOVE_ALL_ELEMENTS 613
#define IDM_MODE_INITIAL_CONDITIONS 641
#define IDM_MODE_SELECT 642
#define IDM_MODE_MOVE 643
#define IDM_MODE_ORIGIN 644
#define IDM_MODE_POINT 645
#define IDM_MODE_THIRD 646
#define IDM_MODE_FIRST 647
#define IDM_MODE_LAST 648
#define IDM_MODE_ROTATE 649
#define IDM_ZOOM_IN 661
#define IDM_ZOOM_OUT 662
#define IDM_ACTUAL_SIZE 663
#define IDM_LARGER_STEP 664
#define IDM_SMALLER_STEP 665
#define IDM_NEXT_FRACTAL_ORDER 666
#define IDM_PREVIOUS_FRACTAL_ORDER 667

/* Frame commands of the menus, grouped by hundreds: 1xx File, 2xx Edit,
   3xx Output, 4xx Window, 5xx Go, 6xx Draw, 7xx Configuration, 9xx Help. */
#define IDM_NEW 101
#define IDM_OPEN 102
#define IDM_SAVE 103
#define IDM_SAVE_AS 104
#define IDM_PRINTER_SETUP 105
#define IDM_PRINT 106
#define IDM_MAIL 107
#define IDM_OPEN_EXAMPLE 109
#define IDM_NEW_INSTANCE 110
#define IDM_OPEN_COPY 111
#define IDM_RECENT_FIRST 170
#define IDM_RECENT_LAST 178
/* Editor windows: back to the main window, and leave without storing. */
#define IDM_EDITOR_SWITCH 161
#define IDM_EDITOR_ABANDON 162
#define IDM_EDITOR_NOTES_CLOSED 180
#define IDM_EDITOR_ALL_CLOSED 181
#define IDM_TYPE 201
#define IDM_VARIABLES 202
#define IDM_VARIABLES_KEY 203
#define IDM_PARAMETERS 204
#define IDM_EQUATIONS 205
#define IDM_INITIAL_CONDITIONS 206
#define IDM_BOUNDARY_CONDITIONS 207
#define IDM_RANGE 208
#define IDM_RANGE_KEY 209
#define IDM_NOTES 211
#define IDM_ALL_SETTINGS 212
#define IDM_HTML_NOTES 213
#define IDM_EDIT_HTML_NOTES 214
#define IDM_INITIAL_BROWSER 221
#define IDM_PARAMETER_BROWSER 222
#define IDM_CALCULATOR 230
#define IDM_EDIT_UNDO 251
#define IDM_EDIT_CUT 252
#define IDM_EDIT_COPY 253
#define IDM_EDIT_PASTE 254
#define IDM_EDIT_CLEAR 255
#define IDM_EDIT_SELECT_ALL 256
#define IDM_EDIT_FIND 291
#define IDM_EDIT_REPLACE 292
#define IDM_NEW_GRAPH 301
#define IDM_GRAPHICS_FORMAT 302
#define IDM_COLOR 303
#define IDM_VIEW_POINT 304
#define IDM_NEW_TEXT 305
#define IDM_TEXT_FORMAT 306
#define IDM_PLOTTER_SETTINGS 307
#define IDM_PLOTTER_OUTPUT 308
#define IDM_DRAW_TO_PLOTTER 309
#define IDM_EJECT_PAGE 310
#define IDM_WRITE_EPILOG 311
#define IDM_STATUS_LINE 312
#define IDM_ERASE_ALL 412
#define IDM_GET_SCREEN 413
#define IDM_PUT_SCREEN 414
#define IDM_SAVE_SCREEN 415
#define IDM_LOAD_SCREEN 416
#define IDM_SAVE_POINTS 417
#define IDM_CASCADE 418
#define IDM_TILE_HORIZONTAL 419
#define IDM_TILE_VERTICAL 420
#define IDM_ARRANGE_ICONS 421
#define IDM_CLOSE 422
#define IDM_CLOSE_ALL 423
#define IDM_CLONE 424
#define IDM_COPY_WINDOW 425
#define IDM_PASTE_WINDOW 426
#define IDM_CLOSE_ALL_SILENT 427
#define IDM_PREFERENCES 701
#define IDM_TOOLBARS 702
#define IDM_EXTERNAL_CODES 703
#define IDM_MATH_EXTENSIONS 704
#define IDM_PLOTTER_DRIVERS 705
#define IDM_FONT_FILES 706
#define IDM_ESCAPE_SEQUENCES 707
#define IDM_MATHEMATICA 708
#define IDM_HELP_INDEX 901
#define IDM_HELP_SEARCH 902
#define IDM_HELP_ON_HELP 903
#define IDM_SHOW_FONTS 904
#define IDM_ABOUT 905
#define IDM_UPDATES 906
#define IDM_CODE_LIBRARY_SEPARATOR 931
#define IDM_CODE_LIBRARY_HELP 932
#define IDM_TEXT_WINDOW_HELP 967

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
