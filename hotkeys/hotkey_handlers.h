// Hotkey registration at start and the dispatch of a key press.
#pragma once
#include <cstdint>

struct DimArray;

// HideTarget, ShowTarget, ToggleToolWindow: the actions of F1, F2 and F3.
extern const DimArray* const HotkeyActionTable;

void OnMainWindowCreated();
void OnHotkeyFeedback(int32_t id, int32_t unused);
