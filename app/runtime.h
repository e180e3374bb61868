// What the program needs of the GUI runtime it runs on. The lifecycle code uses
// nothing else, so it also runs over the fake runtime of the native tests.
#pragma once
#include <cstdint>

using Subroutine = void (*)();

constexpr int32_t kMainWindowId = 1375797249; // 0x52010001

void InitRuntime();
void SetExitCallback(Subroutine callback);
void LoadWindow(int32_t windowId);
void RunMessageLoop();

// Blocks come from the process heap and are not zero-filled. A failed
// allocation is fatal, so callers never see null.
void* AllocBlock(uint32_t byteCount);
// Ignores null and references into the program's constant data.
void FreeBlock(void* block);

// Runtime error codes the program's own code can raise.
enum RuntimeErrorCode : int32_t {
    kErrorIndexOutOfRange = 1,
    kErrorCallingConvention = 6,
    kErrorOutOfMemory = 7,
    kErrorWindowCreation = 8,
    kErrorRuntimeStart = 9,
};

// Shows the error, clears the exit callback and ends the process with -1.
[[noreturn]] void ReportRuntimeError(int32_t code, const char* message);
