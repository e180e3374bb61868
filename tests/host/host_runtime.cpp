#include "tests/host/host_runtime.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

extern "C" const char __executable_start[];
extern "C" const char edata[];

HostRuntime& Host() {
    static HostRuntime host;
    return host;
}

void ResetHost() {
    Host() = HostRuntime();
}

void InitRuntime() {
    Host().calls.push_back("InitRuntime");
}

void SetExitCallback(Subroutine callback) {
    Host().calls.push_back("SetExitCallback");
    Host().exitCallback = callback;
}

void LoadWindow(int32_t windowId) {
    Host().calls.push_back("LoadWindow " + std::to_string(windowId));
    if (Host().onLoadWindow != nullptr) {
        Host().onLoadWindow();
    }
}

void RunMessageLoop() {
    Host().calls.push_back("RunMessageLoop");
}

void HostShutdown() {
    Subroutine callback = Host().exitCallback;
    Host().exitCallback = nullptr;
    if (callback != nullptr) {
        callback();
    }
}

void* AllocBlock(uint32_t byteCount) {
    void* block = std::malloc(byteCount == 0 ? 1 : byteCount);
    if (block == nullptr) {
        ReportRuntimeError(kErrorOutOfMemory, "out of memory");
    }
    // Blocks are not zero-filled: make sure nothing relies on it.
    std::memset(block, 0xCD, byteCount);
    ++Host().live;
    ++Host().allocs;
    return block;
}

void FreeBlock(void* block) {
    const auto* p = static_cast<const char*>(block);
    if (block == nullptr || (p >= __executable_start && p < edata)) {
        return;
    }
    --Host().live;
    ++Host().frees;
    Host().freed.push_back(block);
    std::free(block);
}

void ReportRuntimeError(int32_t code, const char* message) {
    std::fprintf(stderr, "runtime error %d: %s\n", static_cast<int>(code), message);
    Host().exitCallback = nullptr;
    _exit(255); // -1 as a process exit status
}
