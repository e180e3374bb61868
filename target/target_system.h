// The system functions the target handlers call by name, and the runtime's
// operations they use. Handles are 32-bit values, as on the 32-bit system.
#pragma once
#include <cstdint>

struct TargetRectangle;

using WindowHandle = uint32_t;

WindowHandle SysWindowFromPoint(int32_t x, int32_t y);
int32_t SysGetWindowTextA(WindowHandle window, char* buffer, int32_t limit);
void SysSetCapture(WindowHandle window);
void SysReleaseCapture();
void SysGetWindowRect(WindowHandle window, TargetRectangle* rect);
void SysSetWindowPos(WindowHandle window, WindowHandle insertAfter, int32_t x, int32_t y,
                     int32_t width, int32_t height, uint32_t flags);
bool SysIsWindow(WindowHandle window);
// A child window is placed in its parent's client coordinates: a point read in
// screen coordinates is turned into those; a top-level window's stays as it is.
void SysScreenToParent(WindowHandle window, int32_t* x, int32_t* y);

// A mark on each window this run hides, naming the run (its process and start
// time), so that if the run is killed before it can show the window again, the
// next run can. It lives only on the window.
void SysMarkHidden(WindowHandle window);
void SysUnmarkHidden(WindowHandle window);
// Shows again every window marked by a run that has ended, and removes its
// mark; windows marked by a run still going are left alone.
void SysShowWindowsOfEndedRuns();

// The pointer's position in screen coordinates.
int32_t CurrentMouseX();
int32_t CurrentMouseY();

// Takes the waiting messages and dispatches each, until the queue is empty or
// the next is the quit request.
void ProcessPendingEvents();

// The runtime's message box: no owner, one OK button, task-modal; UTF-8 texts.
void ShowMessageBox(const char* text, const char* caption);

// Runs `callback` on the way out of a fatal end or a crash, before the process
// is gone. One callback; a later call replaces it.
void SetEmergencyCallback(void (*callback)());

constexpr uint32_t kSwpShowWindow = 0x0040;
constexpr uint32_t kSwpHideWindow = 0x0080;
// The request goes to the window's own thread instead of waiting for it, so a
// target whose program has stopped answering cannot freeze the tool.
constexpr uint32_t kSwpAsyncWindowPos = 0x4000;
