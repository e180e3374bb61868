// Marks on the windows a run hides. A mark is two window properties: the
// process id and the process's start time, since a process id can be reused.
#include "target/target_system.h"
#include "ui/handles_win32.h"

#include <windows.h>

namespace {

constexpr wchar_t kMarkProcess[] = L"WindowHider.HiddenBy.Process";
constexpr wchar_t kMarkStart[] = L"WindowHider.HiddenBy.Start";
// How long the start waits for restored windows to show; a program that is
// not answering shows its window later, when it takes its messages again.
constexpr DWORD kRestoreWaitMs = 2000;
constexpr int kMaxWaited = 64;

using UniqueProcess = UniqueHandle<HANDLE, CloseHandle>;

HWND Hwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
}

// The start time in milliseconds, low 32 bits: with the id it names one run.
DWORD StartStamp(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return 0;
    }
    ULARGE_INTEGER t;
    t.LowPart = created.dwLowDateTime;
    t.HighPart = created.dwHighDateTime;
    return static_cast<DWORD>(t.QuadPart / 10000);
}

// Read once; the tool's handlers all run on one thread.
bool g_haveOwnStamp = false;
DWORD g_ownStamp = 0;

DWORD OwnStamp() {
    if (!g_haveOwnStamp) {
        g_ownStamp = StartStamp(GetCurrentProcess());
        g_haveOwnStamp = true;
    }
    return g_ownStamp;
}

struct Mark {
    DWORD process, start;
};

bool ReadMark(HWND hwnd, Mark* mark) {
    mark->process = static_cast<DWORD>(reinterpret_cast<uintptr_t>(GetPropW(hwnd, kMarkProcess)));
    mark->start = static_cast<DWORD>(reinterpret_cast<uintptr_t>(GetPropW(hwnd, kMarkStart)));
    return mark->process != 0;
}

void RemoveMark(HWND hwnd) {
    RemovePropW(hwnd, kMarkProcess);
    RemovePropW(hwnd, kMarkStart);
}

bool RunHasEnded(const Mark& mark) {
    if (mark.process == GetCurrentProcessId()) {
        return mark.start != OwnStamp();
    }
    UniqueProcess process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, mark.process));
    if (!process) {
        // A process of another user or a higher level may be running still.
        return GetLastError() != ERROR_ACCESS_DENIED;
    }
    DWORD code = 0;
    if (GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE) {
        return true;
    }
    return StartStamp(process.get()) != mark.start;
}

struct Restored {
    HWND windows[kMaxWaited];
    int count = 0;
};

void RestoreIfOrphaned(HWND hwnd, Restored* restored) {
    Mark mark;
    if (!ReadMark(hwnd, &mark) || !RunHasEnded(mark)) {
        return;
    }
    RemoveMark(hwnd);
    // Shown where it is; a window shown already stays as it is.
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                     SWP_ASYNCWINDOWPOS);
    if (restored->count < kMaxWaited) {
        restored->windows[restored->count++] = hwnd;
    }
}

BOOL CALLBACK VisitChild(HWND hwnd, LPARAM context) {
    RestoreIfOrphaned(hwnd, reinterpret_cast<Restored*>(context));
    return TRUE;
}

BOOL CALLBACK VisitTopLevel(HWND hwnd, LPARAM context) {
    RestoreIfOrphaned(hwnd, reinterpret_cast<Restored*>(context));
    // Every descendant, not only the direct children.
    EnumChildWindows(hwnd, VisitChild, context);
    return TRUE;
}

// Its own WS_VISIBLE: a child of a hidden parent is shown all the same.
bool HasVisibleStyle(HWND hwnd) {
    return !IsWindow(hwnd) || (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

} // namespace

void SysMarkHidden(WindowHandle window) {
    HWND hwnd = Hwnd(window);
    SetPropW(hwnd, kMarkProcess, reinterpret_cast<HANDLE>(uintptr_t{GetCurrentProcessId()}));
    SetPropW(hwnd, kMarkStart, reinterpret_cast<HANDLE>(uintptr_t{OwnStamp()}));
}

void SysUnmarkHidden(WindowHandle window) {
    RemoveMark(Hwnd(window));
}

void SysShowWindowsOfEndedRuns() {
    Restored restored;
    EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&restored));
    const DWORD begun = GetTickCount();
    for (int k = 0; k < restored.count; ++k) {
        while (!HasVisibleStyle(restored.windows[k]) && GetTickCount() - begun < kRestoreWaitMs) {
            Sleep(10);
        }
    }
}
