#include "tests/host/host_system.h"

#include "app/globals.h"
#include "hotkeys/hotkey_service.h"
#include "tests/host/host_runtime.h"

#include <algorithm>

#include <cstring>

HostSystem& System() {
    static HostSystem system;
    return system;
}

void ResetSystem() {
    System() = HostSystem();
}

WindowHandle SysWindowFromPoint(int32_t x, int32_t y) {
    System().log.push_back("WindowFromPoint " + std::to_string(x) + "," + std::to_string(y));
    return System().underPointer;
}

int32_t SysGetWindowTextA(WindowHandle window, char* buffer, int32_t limit) {
    auto it = System().windows.find(window);
    if (it == System().windows.end() || limit < 1) {
        return 0;
    }
    const size_t n = std::min(it->second.title.size(), static_cast<size_t>(limit - 1));
    std::memcpy(buffer, it->second.title.data(), n);
    buffer[n] = '\0';
    return static_cast<int32_t>(n);
}

void SysSetCapture(WindowHandle window) {
    System().log.push_back("SetCapture");
    System().capture = window;
}

void SysReleaseCapture() {
    System().log.push_back("ReleaseCapture");
    System().capture = 0;
}

void SysGetWindowRect(WindowHandle window, TargetRectangle* rect) {
    System().log.push_back("GetWindowRect " + std::to_string(window));
    auto it = System().windows.find(window);
    if (it != System().windows.end()) {
        *rect = {it->second.left, it->second.top, it->second.right, it->second.bottom};
    }
}

void SysSetWindowPos(WindowHandle window, WindowHandle insertAfter, int32_t x, int32_t y,
                     int32_t width, int32_t height, uint32_t flags) {
    System().log.push_back("SetWindowPos " + std::to_string(window) + " after " +
                           std::to_string(insertAfter) + " " + std::to_string(x) + "," +
                           std::to_string(y) + " " + std::to_string(width) + "x" +
                           std::to_string(height) + " flags " + std::to_string(flags));
    auto it = System().windows.find(window);
    if (it == System().windows.end()) {
        return;
    }
    // Kept in screen coordinates, as GetWindowRect reads them.
    int32_t left = x;
    int32_t top = y;
    if (it->second.parent != 0) {
        left += System().windows[it->second.parent].left;
        top += System().windows[it->second.parent].top;
    }
    FakeWindow& w = it->second;
    w.left = left;
    w.top = top;
    w.right = left + width;
    w.bottom = top + height;
    if (flags & kSwpHideWindow) {
        it->second.visible = false;
    }
    if (flags & kSwpShowWindow) {
        it->second.visible = true;
    }
}

void SysScreenToParent(WindowHandle window, int32_t* x, int32_t* y) {
    auto it = System().windows.find(window);
    if (it == System().windows.end() || it->second.parent == 0) {
        return;
    }
    const FakeWindow& parent = System().windows[it->second.parent];
    *x -= parent.left; // the fake's parents have no frame: client and window coincide
    *y -= parent.top;
}

bool SysIsWindow(WindowHandle window) {
    return System().windows.count(window) != 0;
}

int32_t CurrentMouseX() {
    return System().mouseX;
}
int32_t CurrentMouseY() {
    return System().mouseY;
}

void ProcessPendingEvents() {
    System().log.push_back("ProcessPendingEvents");
}

void ShowMessageBox(const char* text, const char* caption) {
    System().log.push_back(std::string("MessageBox ") + text + " / " + caption);
    if (System().onMessageBox != nullptr) {
        System().onMessageBox();
    }
}

void SetEmergencyCallback(void (*callback)()) {
    System().emergency = callback;
}

int32_t RegisterSystemHotkey(void* owner, void* receiver, int32_t modifiers, int32_t virtualKey) {
    const int32_t id = System().nextHotkeyId++;
    System().registrations.push_back(std::to_string(reinterpret_cast<uintptr_t>(owner)) + " " +
                                     std::to_string(reinterpret_cast<uintptr_t>(receiver)) + " " +
                                     std::to_string(modifiers) + " " + std::to_string(virtualKey));
    const auto& refused = System().refusedKeys;
    return std::find(refused.begin(), refused.end(), virtualKey) != refused.end() ? 0 : id;
}

void SysMarkHidden(WindowHandle window) {
    System().log.push_back("Mark " + std::to_string(window));
    auto it = System().windows.find(window);
    if (it != System().windows.end()) {
        it->second.marked = true;
    }
}

void SysUnmarkHidden(WindowHandle window) {
    System().log.push_back("Unmark " + std::to_string(window));
    auto it = System().windows.find(window);
    if (it != System().windows.end()) {
        it->second.marked = false;
    }
}

void SysShowWindowsOfEndedRuns() {
    Host().calls.push_back("ShowWindowsOfEndedRuns");
}
