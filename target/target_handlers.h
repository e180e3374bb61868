// Picking the target window, hiding, showing and restoring it.
#pragma once
#include "target/target_system.h"

#include <cstdint>

void OnPickPress(int32_t x, int32_t y, int32_t keyState);
void OnPickMove(int32_t x, int32_t y, int32_t keyState);
void OnPickRelease(int32_t x, int32_t y, int32_t keyState);
// The pick's mouse capture was taken away before the release.
void OnPickCaptureLost();

void HideTarget();
void ShowTarget();
void ToggleToolWindow();
void OnMainWindowClosing();

// The target update with SWP_SHOWWINDOW for any window: its own place and size.
void ShowWindowInPlace(WindowHandle window);
