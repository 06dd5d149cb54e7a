#include <windows.h>

#include "glyphsmith.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    gStartupFontPath = StartupPathFromCommandLine(GetCommandLineA());
    MainForm *main = MainForm::Create(instance, show);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (gMainForm && gMainForm->TranslateAccelerators(&message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    (void)main;
    return 0;
}
