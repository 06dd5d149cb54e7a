// Calling convention of functions that cross a plug-in boundary (math-function
// and solver plug-ins, and the callbacks handed to them): the callee removes
// its arguments on Win32. The host build has no such convention and uses cdecl.
#pragma once

#if defined(_WIN32)
#define VR_PLUGIN_CALL __stdcall
#else
#define VR_PLUGIN_CALL
#endif
