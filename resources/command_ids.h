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
