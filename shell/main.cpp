// The entry point of Vantorel.exe; the program itself is in the shell library.
#include <windows.h>

#include "app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int showCommand) {
    return RunVantorel(instance, previous, showCommand);
}
