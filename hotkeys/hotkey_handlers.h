// Hotkey registration at start and the dispatch of a key press.
#pragma once
#include <cstdint>

void OnMainWindowCreated();
void OnHotkeyFeedback(int32_t id, int32_t unused);
