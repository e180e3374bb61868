// The fake GUI runtime of the native tests: counts blocks and records calls.
#pragma once
#include "app/runtime.h"

#include <string>
#include <vector>

struct HostRuntime {
    int live = 0;   // blocks allocated and not freed
    int allocs = 0; // every AllocBlock
    int frees = 0;  // every FreeBlock of a real block
    std::vector<std::string> calls;
    std::vector<const void*> freed; // in order
    Subroutine exitCallback = nullptr;
    // What LoadWindow does inside the fake: the created event's stand-in.
    void (*onLoadWindow)() = nullptr;
};

HostRuntime& Host();
void ResetHost();
// The fake's shutdown: runs the exit callback once.
void HostShutdown();
