#include <windows.h>

#include "error_box.h"

// Task-modal so that the host's other windows wait too; owned by whatever
// window of the host is active, since the plug-in has none of its own.
void ShowEllipticErrorBox(const char *text, const char *caption)
{
    MessageBoxA(GetActiveWindow(), text, caption, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}
