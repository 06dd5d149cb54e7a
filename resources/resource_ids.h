/* Ids of dialogs and their controls, shared by the resource script and the
   code so that the two cannot drift (commands: command_ids.h). Plain
   #defines: the resource compiler reads this file too. */
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
#define IDC_INSTANCE_LIST 28601
#define IDC_OPEN_SELECTED 28602
#define IDC_NEW_COPY 28603
#define IDC_INSTANCE_TEXT 28604

#endif
