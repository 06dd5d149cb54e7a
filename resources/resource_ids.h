/* Ids of dialogs and their controls, shared by the resource script and the
   code so that the two cannot drift. Plain #defines: the resource compiler
   reads this file too. */
#ifndef VR_RESOURCE_IDS_H
#define VR_RESOURCE_IDS_H

/* Dialog 300 "Compiler Error". */
#define IDD_COMPILER_ERROR 300
#define IDC_COMPILE_LABEL 29001
#define IDC_COMPILE_TEXT 29002
#define IDC_COMPILE_MESSAGE 29003

/* Dialogs of the file channels: 840 "Output File" and 850 "Input File"
   share their controls; 855 "BMP Files" has its own; 860 "Input value"
   reuses the file dialogs' name and format ids for prompt and value. */
#define IDD_OUTPUT_FILE 840
#define IDD_INPUT_FILE 850
#define IDD_BMP_FILES 855
#define IDD_INPUT_VALUE 860
#define IDC_CHANNEL_NUMBER 29701
#define IDC_CHANNEL_FILE 29702
#define IDC_CHANNEL_BROWSE 29703
#define IDC_CHANNEL_FORMAT 29704
#define IDC_BMP_NUMBER 29751
#define IDC_BMP_FOLDER 29752
#define IDC_BMP_BROWSE 29753
#define IDC_BMP_PATTERN 29754
#define IDC_INPUT_PROMPT IDC_CHANNEL_FILE
#define IDC_INPUT_VALUE IDC_CHANNEL_FORMAT

/* Dialog 870: other running instances of the program. */
#define IDD_ALREADY_RUNNING 870

/* Resources of the main program: accelerator table and frame menu 1, the
   editor context menu 2, icons, cursors, bitmaps and the tips text. */
#define IDR_FRAME 1
#define IDR_EDITOR_POPUP 2
#define IDI_GRAPH 12
#define IDI_TEXT 13
#define IDI_EDITOR 14
#define IDI_TIPS 15
#define IDI_PROGRAM 20
#define IDCUR_GRAPH 1
#define IDCUR_HELP 3
#define IDCUR_LINK 4
#define IDB_SPLASH 512
#define IDB_ABOUT 513
#define IDB_CARET 514
/* Toolbar buttons: 98 images side by side, small, medium and big; the
   customise dialog's button frame. */
#define IDB_TOOLBAR_SMALL 518
#define IDB_TOOLBAR_MEDIUM 519
#define IDB_TOOLBAR_BIG 520
#define IDB_BUTTON_FRAME 521
#define IDR_TIPS 16000
#define VR_VERSION_INFO 1

/* Dialog 10 "About". */
#define IDD_ABOUT 10
#define IDC_ABOUT_PRODUCT 20101
#define IDC_ABOUT_VERSION 20102
#define IDC_ABOUT_COPYRIGHT 20103
#define IDC_ABOUT_PICTURE 20105
#define IDC_ABOUT_WEB 20107
#define IDC_ABOUT_MAIL 20108
#define IDC_ABOUT_UPDATES 20109
#define IDC_DIALOG_HELP 9

/* Dialog 30 "Tip of the Day". */
#define IDD_TIPS 30
#define IDC_TIP_PICTURE 20301
#define IDC_TIP_HEADING 20302
#define IDC_TIP_PANEL 20303
#define IDC_TIP_TEXT 20304
#define IDC_TIP_NEXT 20305
#define IDC_TIP_SHOW 20306
#define IDC_TIP_CLOSE 20307

/* Frame commands, grouped by hundreds as the menus are: 1xx File, 2xx Edit,
   3xx Output, 4xx Window, 5xx Go, 6xx Draw, 7xx Configuration, 9xx Help. */
#define CMD_NEW 101
#define CMD_OPEN 102
#define CMD_SAVE 103
#define CMD_SAVE_AS 104
#define CMD_PRINTER_SETUP 105
#define CMD_PRINT 106
#define CMD_MAIL 107
#define CMD_QUIT 108
#define CMD_OPEN_EXAMPLE 109
#define CMD_NEW_INSTANCE 110
#define CMD_OPEN_COPY 111
#define CMD_RECENT_FIRST 170
#define CMD_RECENT_LAST 178
#define CMD_EDITOR_NOTES_CLOSED 180
#define CMD_EDITOR_ALL_CLOSED 181
#define CMD_TYPE 201
#define CMD_VARIABLES 202
#define CMD_VARIABLES_KEY 203
#define CMD_PARAMETERS 204
#define CMD_EQUATIONS 205
#define CMD_INITIAL_CONDITIONS 206
#define CMD_BOUNDARY_CONDITIONS 207
#define CMD_RANGE 208
#define CMD_RANGE_KEY 209
#define CMD_METHOD 210
#define CMD_NOTES 211
#define CMD_ALL_SETTINGS 212
#define CMD_HTML_NOTES 213
#define CMD_EDIT_HTML_NOTES 214
#define CMD_INITIAL_BROWSER 221
#define CMD_PARAMETER_BROWSER 222
#define CMD_CALCULATOR 230
#define CMD_EDIT_UNDO 251
#define CMD_EDIT_CUT 252
#define CMD_EDIT_COPY 253
#define CMD_EDIT_PASTE 254
#define CMD_EDIT_CLEAR 255
#define CMD_EDIT_SELECT_ALL 256
#define CMD_EDIT_FIND 291
#define CMD_EDIT_REPLACE 292
#define CMD_NEW_GRAPH 301
#define CMD_GRAPHICS_FORMAT 302
#define CMD_COLOR 303
#define CMD_VIEW_POINT 304
#define CMD_NEW_TEXT 305
#define CMD_TEXT_FORMAT 306
#define CMD_PLOTTER_SETTINGS 307
#define CMD_PLOTTER_OUTPUT 308
#define CMD_DRAW_TO_PLOTTER 309
#define CMD_EJECT_PAGE 310
#define CMD_WRITE_EPILOG 311
#define CMD_STATUS_LINE 312
#define CMD_ERASE_WINDOW 411
#define CMD_ERASE_ALL 412
#define CMD_GET_SCREEN 413
#define CMD_PUT_SCREEN 414
#define CMD_SAVE_SCREEN 415
#define CMD_LOAD_SCREEN 416
#define CMD_SAVE_POINTS 417
#define CMD_CASCADE 418
#define CMD_TILE_HORIZONTAL 419
#define CMD_TILE_VERTICAL 420
#define CMD_ARRANGE_ICONS 421
#define CMD_CLOSE 422
#define CMD_CLOSE_ALL 423
#define CMD_CLONE 424
#define CMD_COPY_WINDOW 425
#define CMD_PASTE_WINDOW 426
#define CMD_CLOSE_ALL_SILENT 427
#define CMD_START 501
#define CMD_STOP 502
#define CMD_CONTINUE 503
#define CMD_BACKWARD 504
#define CMD_REFRESH_WINDOW 601
#define CMD_REFRESH_ALL 602
#define CMD_FULL_SCREEN 603
#define CMD_NEW_ELEMENT 605
#define CMD_EDIT_ELEMENT 606
#define CMD_NEXT_ELEMENT 607
#define CMD_PREVIOUS_ELEMENT 608
#define CMD_COPY_ELEMENT 609
#define CMD_ELEMENT_TO_CLIPBOARD 610
#define CMD_ELEMENT_FROM_CLIPBOARD 611
#define CMD_REMOVE_ELEMENT 612
#define CMD_REMOVE_ALL_ELEMENTS 613
#define CMD_MODE_INITIAL 641
#define CMD_MODE_SELECT 642
#define CMD_MODE_MOVE 643
#define CMD_MODE_ORIGIN 644
#define CMD_MODE_POINT 645
#define CMD_MODE_THIRD 646
#define CMD_MODE_FIRST_VALUE 647
#define CMD_MODE_LAST_VALUE 648
#define CMD_MODE_ROTATE 649
#define CMD_ZOOM_IN 661
#define CMD_ZOOM_OUT 662
#define CMD_ACTUAL_SIZE 663
#define CMD_LARGER_STEP 664
#define CMD_SMALLER_STEP 665
#define CMD_NEXT_FRACTAL 666
#define CMD_PREVIOUS_FRACTAL 667
#define CMD_DRAW_FIRST 601
#define CMD_DRAW_LAST 667
#define CMD_PREFERENCES 701
#define CMD_TOOLBARS 702
#define CMD_EXTERNAL_CODES 703
#define CMD_MATH_EXTENSIONS 704
#define CMD_PLOTTER_DRIVERS 705
#define CMD_FONT_FILES 706
#define CMD_ESCAPE_SEQUENCES 707
#define CMD_MATHEMATICA 708
#define CMD_HELP_INDEX 901
#define CMD_HELP_SEARCH 902
#define CMD_HELP_ON_HELP 903
#define CMD_SHOW_FONTS 904
#define CMD_ABOUT 905
#define CMD_UPDATES 906
#define CMD_CODE_LIBRARY_HELP 932
#define CMD_MATH_LIBRARY_HELP 942
#define CMD_TEXT_WINDOW_HELP 967

/* First child-window id of the Window menu's list. */
#define VR_FIRST_CHILD_ID 9001

#endif
