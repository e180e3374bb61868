// Win32 side of the GUI runtime, beyond the portable interface in runtime.h.
#pragma once
#include <cstdint>

// The runtime's shutdown: runs the exit callback once, then clears it. Returns
// the exit code that the quit request carried.
int32_t ShutdownRuntime();

// Blocks from AllocBlock not yet given back.
int32_t LiveBlockCount();

// Test hook: told of every raised event and of the exit callback's run. The
// program itself sets none.
using RuntimeObserver = void (*)(const char* what, int32_t recordId, int32_t a, int32_t b);
void SetRuntimeObserver(RuntimeObserver observer);
void NotifyRuntimeObserver(const char* what, int32_t recordId, int32_t a, int32_t b);
