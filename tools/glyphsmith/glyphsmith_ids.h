// Command, dialog and control ids of Glyphsmith, shared by the resource
// script and the code.
#pragma once

#define IDI_GLYPHSMITH 1

// File
#define CM_FILE_NEW 101
#define CM_FILE_OPEN 102
#define CM_FILE_CLOSE 103
#define CM_FILE_SAVE 104
#define CM_FILE_SAVE_AS 105
#define CM_FILE_EXIT 106
#define CM_OLD_INI1 111  // ..114: the recent fonts, slot 0..3
// Speed buttons forwarded to the active child
#define CM_CUT_BUTTON 151
#define CM_COPY_BUTTON 152
#define CM_PASTE_BUTTON 153
// Font window
#define CM_CUT_FONT 201
#define CM_COPY_FONT 202
#define CM_PASTE_FONT 203
#define CM_DEL_FONT 204
#define CM_FONT_EDIT_CHAR 205
// Character window
#define CM_CUT_CHAR 211
#define CM_COPY_CHAR 212
#define CM_PASTE_CHAR 213
#define CM_DEL_CHAR 214
#define CM_EDIT_CHAR 215
#define CM_CHAR_REFRESH 216
#define CM_DISPLAY_AREA 217
#define CM_NEW_STROKE 301
#define CM_DEL_STROKE 302
#define CM_NEXT_STROKE 303
#define CM_PREV_STROKE 304
#define CM_UP_STROKE 305
#define CM_DOWN_STROKE 306
#define CM_NEW_POINT 311
#define CM_DELETE_POINT 312
#define CM_NEXT_POINT 313
#define CM_PREVIOUS_POINT 314
#define CM_POINT_LEFT 315
#define CM_POINT_RIGHT 316
#define CM_POINT_UP 317
#define CM_POINT_DOWN 318
// Window
#define CM_WINDOW_CASCADE 401
#define CM_WINDOW_TILE 402
#define CM_WINDOW_ARRANGE 403
#define CM_WINDOW_MINIMIZE 404
#define CM_FIRST_CHILD 4000  // the Window menu's list of open windows
// Help
#define CM_HELP_CONTENTS 901
#define CM_HELP_SEARCH 902
#define CM_HELP_ABOUT 903

// Character window style dialog
#define IDD_CHAR_STYLE 1000
#define IDC_MAX_Y 1001
#define IDC_MIN_X 1002
#define IDC_MAX_X 1003
#define IDC_MIN_Y 1004
#define IDC_ZOOM 1005
#define IDC_STEP 1006
#define IDC_MAX_D 1007
#define IDC_LABEL_X 1008
#define IDC_STYLE_GROUP 1009
#define IDC_DEFAULTS 1010
#define IDC_FACTORY 1011
#define IDC_NEW_DEFAULTS 1012

// Character edit dialog
#define IDD_EDIT_CHAR 1100
#define IDC_WIDTH 1101
#define IDC_STROKES 1102

// About box
#define IDD_ABOUT 1200
#define IDC_ABOUT_NAME 1201
#define IDC_ABOUT_VERSION 1202
#define IDC_ABOUT_COPYRIGHT 1203
#define IDC_ABOUT_COMMENTS 1204
#define IDC_ABOUT_EMAIL 1205
#define IDC_ABOUT_HOMEPAGE 1206
#define IDC_ABOUT_ICON 1207
#define IDC_ABOUT_BUGS 1208
#define IDC_ABOUT_PANEL 1209
