#include "app/runtime_win32.h"
#include "app/start.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    StartProgram();
    // The process ends with the code that the quit request carried.
    return ShutdownRuntime();
}
