#include "app/start.h"

#include "app/globals.h"
#include "app/runtime.h"

#include <cfenv>

int32_t StartProgram() {
    InitRuntime();
    // Rounding to nearest, every floating-point exception masked.
    std::fesetenv(FE_DFL_ENV);
    InitGlobals();
    SetExitCallback(ReleaseGlobals);
    LoadWindow(kMainWindowId);
    RunMessageLoop();
    return 0;
}
