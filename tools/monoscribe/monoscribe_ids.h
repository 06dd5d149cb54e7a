// Resource and control ids shared by monoscribe.rc and the code.
#pragma once

#define IDI_MONOSCRIBE 1
#define IDD_MONOSCRIBE 101

#define IDC_HELP_BUTTON 99
#define IDC_INTRO_TEXT 101
#define IDC_TO_MONO 102
#define IDC_TO_COLOR 103
#define IDC_BACKUP 111
#define IDC_KEEP_TIME 112
#define IDC_INCLUDED 121
#define IDC_PATH_LABEL 131
#define IDC_SUB_FOLDER 132
#define IDC_BROWSE 151
