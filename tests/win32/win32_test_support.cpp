#include "tests/win32/win32_test_support.h"

#include "app/runtime_win32.h"
#include "app/runtime.h"
#include "app/globals.h"
#include "ui/handles_win32.h"
#include "ui/window_api.h"
#include "ui/window_layer_win32.h"
#include "ui/window_definition.h"

std::vector<RecordedEvent>& Recorded() {
    static std::vector<RecordedEvent> events;
    return events;
}

void RecordEvent(const char* what, int32_t recordId, int32_t a, int32_t b) {
    Recorded().push_back({what, recordId, a, b});
}

std::vector<std::string> RecordedLines(const char* onlyWhat) {
    std::vector<std::string> lines;
    for (const RecordedEvent& e : Recorded()) {
        if (onlyWhat == nullptr || e.what == onlyWhat) {
            lines.push_back(e.what + ":" + std::to_string(e.recordId) + ":" + std::to_string(e.a) +
                            ":" + std::to_string(e.b));
        }
    }
    return lines;
}

bool WaitForImpl(bool (*condition)(void*), void* context, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        ProcessPendingEvents();
        if (condition(context)) {
            return true;
        }
        if (GetTickCount() - start >= milliseconds) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

ThreadWindow::ThreadWindow(const wchar_t* title, RECT place) : title_(title), place_(place) {
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, &threadId_);
    WaitForSingleObject(ready_, 10000);
}

ThreadWindow::~ThreadWindow() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(ready_);
}

DWORD WINAPI ThreadWindow::Run(void* self) {
    auto* t = static_cast<ThreadWindow*>(self);
    const RECT& r = t->place_;
    t->hwnd_ =
        CreateWindowExW(0, L"STATIC", t->title_, WS_OVERLAPPEDWINDOW | WS_VISIBLE, r.left, r.top,
                        r.right - r.left, r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
    SetEvent(t->ready_);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    DestroyWindow(t->hwnd_);
    return 0;
}

void PressKey(WORD key, bool shift, bool alt) {
    INPUT inputs[6] = {};
    int n = 0;
    auto add = [&](WORD vk, bool up) {
        inputs[n].type = INPUT_KEYBOARD;
        inputs[n].ki.wVk = vk;
        inputs[n].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        ++n;
    };
    if (shift) {
        add(VK_SHIFT, false);
    }
    if (alt) {
        add(VK_MENU, false);
    }
    add(key, false);
    add(key, true);
    if (alt) {
        add(VK_MENU, true);
    }
    if (shift) {
        add(VK_SHIFT, true);
    }
    SendInput(n, inputs, sizeof(INPUT));
}

HWND MainWindow() {
    return static_cast<HWND>(ControlHandle(kMainWindowId, kWindowRecordId));
}

HWND Control(int childId) {
    return MainWindow() ? GetDlgItem(MainWindow(), childId) : nullptr;
}

int ChildId(HWND hwnd) {
    return hwnd ? GetDlgCtrlID(hwnd) : 0;
}

void ToolWindowTest::SetUp() {
    Recorded().clear();
    SetRuntimeObserver(RecordEvent);
    blocks_ = LiveBlockCount();
    handles_ = LiveOwnedHandles();
    InitRuntime();
    InitGlobals();
    SetExitCallback(ReleaseGlobals);
    LoadWindow(kMainWindowId);
    ASSERT_NE(MainWindow(), nullptr);
    SetForegroundWindow(MainWindow());
    EXPECT_WITHIN(5000, GetForegroundWindow() == MainWindow() && GetFocus() != nullptr);
}

void ToolWindowTest::TearDown() {
    if (AnyProgramWindow()) {
        SendMessageW(MainWindow(), WM_CLOSE, 0, 0);
    }
    ShutdownRuntime();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    EXPECT_EQ(LiveBlockCount(), blocks_) << "blocks left behind";
    EXPECT_EQ(LiveOwnedHandles(), handles_) << "handles left behind";
    SetRuntimeObserver(nullptr);
}
