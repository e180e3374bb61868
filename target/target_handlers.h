// Picking the target window, hiding, showing and restoring it.
#pragma once
#include <cstdint>

void OnPickPress(int32_t x, int32_t y, int32_t keyState);
void OnPickMove(int32_t x, int32_t y, int32_t keyState);
void OnPickRelease(int32_t x, int32_t y, int32_t keyState);

void HideTarget();
void ShowTarget();
void ToggleToolWindow();
void OnMainWindowClosing();
