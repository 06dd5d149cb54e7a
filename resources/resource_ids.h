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
/* Frame commands the graph windows send. */
#define IDM_ERASE_WINDOW 411
#define IDM_STOP 502

#endif
