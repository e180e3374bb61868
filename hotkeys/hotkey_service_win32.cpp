#include "hotkeys/hotkey_service.h"

#include "hotkeys/key_presses.h"

#include <windows.h>

namespace {

constexpr UINT kFeedbackMessage = WM_APP + 0x75;
constexpr UINT_PTR kReleaseTimer = 0x5748; // polls held keys; runs only while one is held
constexpr UINT kReleasePollMs = 15;
#ifndef MOD_NOREPEAT
constexpr UINT MOD_NOREPEAT = 0x4000;
#endif

struct Registered {
    int32_t id;
    int32_t virtualKey;
};

int32_t g_nextId = kFirstHotkeyId;
HWND g_owner = nullptr;
HWND g_receiver = nullptr;
WNDPROC g_previous = nullptr;
Registered g_keys[16];
int g_keyCount = 0;
KeyPresses g_presses;

UINT SystemModifiers(int32_t code) {
    if (code < 0 || code > 7) {
        return static_cast<UINT>(code);
    }
    UINT flags = 0;
    flags |= (code & 1) ? MOD_CONTROL : 0;
    flags |= (code & 2) ? MOD_SHIFT : 0;
    flags |= (code & 4) ? MOD_ALT : 0;
    return flags;
}

int32_t KeyOf(WPARAM id) {
    for (int k = 0; k < g_keyCount; ++k) {
        if (g_keys[k].id == static_cast<int32_t>(id)) {
            return g_keys[k].virtualKey;
        }
    }
    return 0;
}

void PollReleasedKeys(HWND owner) {
    for (int k = 0; k < g_keyCount; ++k) {
        if ((GetAsyncKeyState(g_keys[k].virtualKey) & 0x8000) == 0) {
            g_presses.Released(g_keys[k].virtualKey);
        }
    }
    if (!g_presses.AnyHeld()) {
        KillTimer(owner, kReleaseTimer);
    }
}

void OnHotkey(HWND owner, WPARAM id) {
    if (static_cast<int32_t>(id) < kFirstHotkeyId || static_cast<int32_t>(id) >= g_nextId) {
        return;
    }
    // A held key repeats WM_HOTKEY; only a press after a release acts.
    const int32_t key = KeyOf(id);
    if (key != 0 && !g_presses.Press(key)) {
        return;
    }
    if (key != 0) {
        SetTimer(owner, kReleaseTimer, kReleasePollMs, nullptr);
    }
    SendMessageA(g_receiver, kFeedbackMessage, id, 0);
}

LRESULT CALLBACK ServiceProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_HOTKEY:
        OnHotkey(hwnd, wParam);
        break;
    case WM_TIMER:
        if (wParam == kReleaseTimer) {
            PollReleasedKeys(hwnd);
            return 0;
        }
        break;
    default:
        break;
    }
    return CallWindowProcA(g_previous, hwnd, message, wParam, lParam);
}

} // namespace

int32_t RegisterSystemHotkey(void* owner, void* receiver, int32_t modifiers, int32_t virtualKey) {
    const int32_t id = g_nextId++;
    auto* window = static_cast<HWND>(owner);
    g_receiver = static_cast<HWND>(receiver);
    // Installed once per owner: the program has one, tests open several in turn.
    if (g_owner != window) {
        g_owner = window;
        g_keyCount = 0;
        g_presses = KeyPresses();
        g_previous = reinterpret_cast<WNDPROC>(
            SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG>(ServiceProc)));
    }
    const UINT flags = SystemModifiers(modifiers);
    // Systems before Windows 7 refuse MOD_NOREPEAT: then the same id without it.
    BOOL ok = RegisterHotKey(window, id, flags | MOD_NOREPEAT, static_cast<UINT>(virtualKey));
    if (!ok) {
        ok = RegisterHotKey(window, id, flags, static_cast<UINT>(virtualKey));
    }
    if (!ok) {
        return 0;
    }
    if (g_keyCount < 16) {
        g_keys[g_keyCount++] = {id, virtualKey};
    }
    return id;
}

bool AnyHotkeyHeld() {
    return g_presses.AnyHeld();
}
