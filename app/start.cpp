#include "app/start.h"

#include "app/globals.h"
#include "app/runtime.h"
#include "target/target_system.h"

#include <cfenv>

int32_t StartProgram() {
    InitRuntime();
    // Rounding to nearest, every floating-point exception masked.
    std::fesetenv(FE_DFL_ENV);
    InitGlobals();
    SetExitCallback(ReleaseGlobals);
    // Windows left hidden by a run that was killed come back before anything else.
    SysShowWindowsOfEndedRuns();
    LoadWindow(kMainWindowId);
    RunMessageLoop();
    return 0;
}
