#include "app/globals.h"
#include "target/target_system.h"

#include <windows.h>

namespace {
HWND Hwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
}
} // namespace

WindowHandle SysWindowFromPoint(int32_t x, int32_t y) {
    POINT at = {x, y};
    return static_cast<WindowHandle>(reinterpret_cast<uintptr_t>(WindowFromPoint(at)));
}

int32_t SysGetWindowTextA(WindowHandle window, char* buffer, int32_t limit) {
    return GetWindowTextA(Hwnd(window), buffer, limit);
}

void SysSetCapture(WindowHandle window) {
    SetCapture(Hwnd(window));
}

void SysReleaseCapture() {
    ReleaseCapture();
}

void SysGetWindowRect(WindowHandle window, TargetRectangle* rect) {
    RECT r;
    if (GetWindowRect(Hwnd(window), &r)) {
        *rect = {r.left, r.top, r.right, r.bottom};
    }
}

void SysSetWindowPos(WindowHandle window, WindowHandle insertAfter, int32_t x, int32_t y,
                     int32_t width, int32_t height, uint32_t flags) {
    SetWindowPos(Hwnd(window), Hwnd(insertAfter), x, y, width, height, flags);
}

void SysScreenToParent(WindowHandle window, int32_t* x, int32_t* y) {
    HWND hwnd = Hwnd(window);
    if ((GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) == 0) {
        return;
    }
    POINT at = {*x, *y};
    ScreenToClient(GetParent(hwnd), &at);
    *x = at.x;
    *y = at.y;
}

bool SysIsWindow(WindowHandle window) {
    return window != 0 && IsWindow(Hwnd(window));
}

int32_t CurrentMouseX() {
    POINT at = {0, 0};
    GetCursorPos(&at);
    return at.x;
}

int32_t CurrentMouseY() {
    POINT at = {0, 0};
    GetCursorPos(&at);
    return at.y;
}
