// A fake window system for the target handlers: windows with a rectangle, a
// title and a visible flag, a pointer position, and a log of the calls.
#pragma once
#include "target/target_system.h"

#include <map>
#include <utility>
#include <string>
#include <vector>

struct FakeWindow {
    int32_t left, top, right, bottom;
    std::string title;
    bool visible = true;
    WindowHandle parent = 0; // a child's place is in its parent's client coordinates
    bool marked = false;     // carries this run's hidden mark
};

struct HostSystem {
    std::map<WindowHandle, FakeWindow> windows;
    WindowHandle underPointer = 0;
    int32_t mouseX = 0, mouseY = 0;
    WindowHandle capture = 0;
    std::vector<std::string> log; // system calls, in order
    void (*onMessageBox)() = nullptr;
    // The tool's own window, as the handlers see it through its properties.
    std::map<std::pair<int32_t, int32_t>, int32_t> properties; // (record, number)
    std::map<int32_t, std::string> captions;
    std::map<std::pair<int32_t, int32_t>, const struct DimArray*> values;
    void (*emergency)() = nullptr;
    int32_t nextHotkeyId = 33001;
    std::vector<int32_t> refusedKeys; // held by another program
    std::vector<std::string> registrations;
};

HostSystem& System();
void ResetSystem();
