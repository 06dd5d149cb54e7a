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
