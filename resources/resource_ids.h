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

#endif
