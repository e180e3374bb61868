#include "target/hidden_windows.h"

#include "app/runtime.h"
#include "target/target_handlers.h"

#include <cstring>

namespace {

// A small growable set in a block of its own; a boss key hides a handful.
WindowHandle* g_windows = nullptr;
int32_t g_count = 0;
int32_t g_capacity = 0;

int32_t IndexOf(WindowHandle window) {
    for (int32_t k = 0; k < g_count; ++k) {
        if (g_windows[k] == window) {
            return k;
        }
    }
    return -1;
}

} // namespace

void RememberHidden(WindowHandle window) {
    if (window == 0) {
        return;
    }
    SysMarkHidden(window);
    SetEmergencyCallback(ShowEveryRememberedWindow);
    if (IndexOf(window) >= 0) {
        return;
    }
    if (g_count == g_capacity) {
        const int32_t capacity = g_capacity == 0 ? 8 : g_capacity * 2;
        auto* grown = static_cast<WindowHandle*>(
            AllocBlock(static_cast<uint32_t>(capacity) * sizeof(WindowHandle)));
        if (g_count != 0) {
            std::memcpy(grown, g_windows, static_cast<size_t>(g_count) * sizeof(WindowHandle));
        }
        FreeBlock(g_windows);
        g_windows = grown;
        g_capacity = capacity;
    }
    g_windows[g_count++] = window;
}

void ForgetHidden(WindowHandle window) {
    if (window != 0) {
        SysUnmarkHidden(window);
    }
    const int32_t at = IndexOf(window);
    if (at >= 0) {
        g_windows[at] = g_windows[--g_count];
    }
}

bool IsRememberedHidden(WindowHandle window) {
    return IndexOf(window) >= 0;
}

int32_t RememberedHiddenCount() {
    return g_count;
}

void ShowEveryRememberedWindow() {
    for (int32_t k = 0; k < g_count; ++k) {
        const WindowHandle window = g_windows[k];
        if (SysIsWindow(window)) {
            ShowWindowInPlace(window);
            SysUnmarkHidden(window);
        }
    }
    g_count = 0;
    FreeBlock(g_windows);
    g_windows = nullptr;
    g_capacity = 0;
}
