// Acts on the running tool from outside, for the hotkey tests:
//   wh_poke boxes                    count the message boxes of the tool's thread
//   wh_poke close-box                press OK on the box that is open for input (the newest)
//   wh_poke feedback <id>            send the label its feedback message (id, 0)
//   wh_poke hold-key <vk> <seconds>  hold a system-wide hotkey as another program would,
//                                    then print how many presses reached it
//   wh_poke hang <decimal hwnd>      make a wh_target_app stop taking messages; hung=1 once it has
//   wh_poke wake                     let the hung wh_target_app take its messages again
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>

namespace {

HWND Tool() {
    return FindWindowW(L"WindowHiderMain", nullptr);
}

struct BoxCount {
    DWORD thread;
    int count;
    HWND enabled; // the one box that takes input: the others wait behind it
};

BOOL CALLBACK CountBox(HWND hwnd, LPARAM context) {
    auto* c = reinterpret_cast<BoxCount*>(context);
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (std::wcscmp(cls, L"#32770") == 0 && GetWindowThreadProcessId(hwnd, nullptr) == c->thread &&
        IsWindowVisible(hwnd)) {
        ++c->count;
        if (IsWindowEnabled(hwnd)) {
            c->enabled = hwnd;
        }
    }
    return TRUE;
}

int Boxes() {
    HWND tool = Tool();
    if (tool == nullptr) {
        std::printf("tool=0\n");
        return 1;
    }
    BoxCount c = {GetWindowThreadProcessId(tool, nullptr), 0, nullptr};
    EnumWindows(CountBox, reinterpret_cast<LPARAM>(&c));
    std::printf("boxes=%d\n", c.count);
    std::fflush(stdout);
    return 0;
}

int CloseBox() {
    HWND tool = Tool();
    BoxCount c = {tool ? GetWindowThreadProcessId(tool, nullptr) : 0, 0, nullptr};
    EnumWindows(CountBox, reinterpret_cast<LPARAM>(&c));
    if (c.enabled == nullptr) {
        std::printf("closed=0\n");
        return 1;
    }
    PostMessageW(c.enabled, WM_COMMAND, IDOK, 0);
    std::printf("closed=1\n");
    return 0;
}

int Feedback(long id) {
    HWND tool = Tool();
    HWND label = tool != nullptr ? GetDlgItem(tool, 110) : nullptr;
    if (label == nullptr) {
        std::printf("label=0\n");
        return 1;
    }
    DWORD_PTR result = 0;
    const LRESULT sent = SendMessageTimeoutW(label, WM_APP + 0x75, static_cast<WPARAM>(id), 0,
                                             SMTO_ABORTIFHUNG, 5000, &result);
    std::printf("sent=%d result=%lu\n", sent != 0, static_cast<unsigned long>(result));
    return sent != 0 ? 0 : 1;
}

int HoldKey(UINT vk, DWORD seconds) {
    if (!RegisterHotKey(nullptr, 1, 0, vk)) {
        std::printf("registered=0\n");
        std::fflush(stdout);
        return 1;
    }
    std::printf("registered=1\n");
    std::fflush(stdout);
    int presses = 0;
    const DWORD end = GetTickCount() + seconds * 1000;
    for (DWORD now = GetTickCount(); now < end; now = GetTickCount()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            presses += msg.message == WM_HOTKEY;
        }
    }
    std::printf("presses=%d\n", presses);
    std::fflush(stdout);
    return 0;
}

constexpr wchar_t kWakeEvent[] = L"WhTargetAppWake";

int Hang(HWND target) {
    if (!PostMessageW(target, WM_APP + 1, 0, 0)) {
        std::printf("posted=0\n");
        return 1;
    }
    // Hung once a message sent to it is no longer answered.
    for (int tries = 0; tries < 50; ++tries) {
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_NORMAL, 200, &result) == 0) {
            HANDLE wake = OpenEventW(EVENT_MODIFY_STATE, FALSE, kWakeEvent);
            const bool waiting = wake != nullptr;
            if (wake != nullptr) {
                CloseHandle(wake);
            }
            std::printf("hung=%d\n", waiting ? 1 : 0);
            return waiting ? 0 : 1;
        }
    }
    std::printf("hung=0\n");
    return 1;
}

int Wake() {
    HANDLE wake = OpenEventW(EVENT_MODIFY_STATE, FALSE, kWakeEvent);
    const bool woke = wake != nullptr && SetEvent(wake);
    if (wake != nullptr) {
        CloseHandle(wake);
    }
    std::printf("woke=%d\n", woke ? 1 : 0);
    return woke ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wcscmp(argv[1], L"boxes") == 0) {
        return Boxes();
    }
    if (argc == 2 && std::wcscmp(argv[1], L"close-box") == 0) {
        return CloseBox();
    }
    if (argc == 3 && std::wcscmp(argv[1], L"feedback") == 0) {
        return Feedback(std::wcstol(argv[2], nullptr, 10));
    }
    if (argc == 4 && std::wcscmp(argv[1], L"hold-key") == 0) {
        return HoldKey(static_cast<UINT>(std::wcstoul(argv[2], nullptr, 0)),
                       static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
    }
    if (argc == 3 && std::wcscmp(argv[1], L"hang") == 0) {
        return Hang(
            reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoul(argv[2], nullptr, 10))));
    }
    if (argc == 2 && std::wcscmp(argv[1], L"wake") == 0) {
        return Wake();
    }
    std::fprintf(stderr, "usage: wh_poke boxes | close-box | feedback <id> | hold-key <vk> "
                         "<seconds> | hang <hwnd> | wake\n");
    return 2;
}
