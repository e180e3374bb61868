#include "app/runtime.h"
#include "app/runtime_win32.h"
#include "target/target_system.h"
#include "ui/window_layer_win32.h"

#include <windows.h>

#include <cstdio>

namespace {

Subroutine g_exitCallback = nullptr;
RuntimeObserver g_observer = nullptr;
void (*g_emergency)() = nullptr;
int32_t g_quitCode = 0;
int32_t g_liveBlocks = 0;
HANDLE g_heap = nullptr;

bool InsideImage(const void* p) {
    const auto base = reinterpret_cast<const unsigned char*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto* at = static_cast<const unsigned char*>(p);
    return at >= base && at < base + nt->OptionalHeader.SizeOfImage;
}

const wchar_t* ErrorText(int32_t code) {
    switch (code) {
    case kErrorIndexOutOfRange:
        return L"数组下标超出范围";
    case kErrorCallingConvention:
        return L"调用系统函数后堆栈不平衡";
    case kErrorOutOfMemory:
        return L"内存不足";
    case kErrorWindowCreation:
        return L"无法创建窗口";
    case kErrorRuntimeStart:
        return L"运行环境无法启动";
    default:
        return L"运行时错误";
    }
}

void RunEmergencyCallback() {
    void (*callback)() = g_emergency;
    g_emergency = nullptr; // once, even if it faults itself
    if (callback != nullptr) {
        callback();
    }
}

// A crash must not leave a window hidden: the callback runs before the process
// goes, and the process then ends with the exception's code.
LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS*) {
    RunEmergencyCallback();
    return EXCEPTION_EXECUTE_HANDLER;
}

wchar_t* Widen(const char* utf8, wchar_t* out, int size) {
    MultiByteToWideChar(CP_UTF8, 0, utf8 != nullptr ? utf8 : "", -1, out, size);
    out[size - 1] = L'\0';
    return out;
}

} // namespace

void SetEmergencyCallback(void (*callback)()) {
    g_emergency = callback;
}

void ShowMessageBox(const char* text, const char* caption) {
    wchar_t wideText[256];
    wchar_t wideCaption[64];
    MessageBoxW(nullptr, Widen(text, wideText, 256), Widen(caption, wideCaption, 64),
                MB_OK | MB_TASKMODAL);
}

void InitRuntime() {
    SetUnhandledExceptionFilter(OnUnhandledException);
    g_heap = GetProcessHeap();
    if (g_heap == nullptr || !InitWindowLayer()) {
        ReportRuntimeError(kErrorRuntimeStart, "the window layer cannot start");
    }
}

void SetExitCallback(Subroutine callback) {
    g_exitCallback = callback;
}

void LoadWindow(int32_t windowId) {
    if (!CreateWindowFromDefinition(windowId)) {
        ReportRuntimeError(kErrorWindowCreation, "the window cannot be created");
    }
}

void RunMessageLoop() {
    if (!AnyProgramWindow()) {
        return;
    }
    SetMessageLoopEntered();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!PreTranslateProgramMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    g_quitCode = static_cast<int32_t>(msg.wParam);
}

void ProcessPendingEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_QUIT) {
            return;
        }
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            return;
        }
        if (!PreTranslateProgramMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

int32_t ShutdownRuntime() {
    Subroutine callback = g_exitCallback;
    g_exitCallback = nullptr;
    if (callback != nullptr) {
        NotifyRuntimeObserver("exit-callback", 0, 0, 0);
        callback();
    }
    ReleaseWindowLayer();
    return g_quitCode;
}

void* AllocBlock(uint32_t byteCount) {
    void* block =
        HeapAlloc(g_heap != nullptr ? g_heap : GetProcessHeap(), 0, byteCount == 0 ? 1 : byteCount);
    if (block == nullptr) {
        ReportRuntimeError(kErrorOutOfMemory, "out of memory");
    }
    ++g_liveBlocks;
    return block;
}

void FreeBlock(void* block) {
    if (block == nullptr || InsideImage(block)) {
        return;
    }
    --g_liveBlocks;
    HeapFree(g_heap != nullptr ? g_heap : GetProcessHeap(), 0, block);
}

int32_t LiveBlockCount() {
    return g_liveBlocks;
}

void ReportRuntimeError(int32_t code, const char* message) {
    wchar_t detail[128];
    Widen(message, detail, 128);
    wchar_t text[320];
    _snwprintf(text, 320, L"运行时错误 %d：%ls\n(%ls)", static_cast<int>(code), ErrorText(code),
               detail);
    text[319] = L'\0';
    NotifyRuntimeObserver("runtime-error", 0, code, 0);
    MessageBoxW(nullptr, text, L"窗口隐藏工具", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    g_exitCallback = nullptr;
    // No window the tool hid stays hidden, though no clean-up handler runs.
    RunEmergencyCallback();
    // The windows go without their will-be-destroyed handlers.
    DestroyProgramWindowsSilently();
    ExitProcess(static_cast<UINT>(-1));
}

void SetRuntimeObserver(RuntimeObserver observer) {
    g_observer = observer;
}

void NotifyRuntimeObserver(const char* what, int32_t recordId, int32_t a, int32_t b) {
    if (g_observer != nullptr) {
        g_observer(what, recordId, a, b);
    }
}
