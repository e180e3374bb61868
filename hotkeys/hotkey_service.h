// Registers system-wide hotkeys and reports each press to a receiver control
// as its feedback message (id, 0), synchronously, before the press goes on.
#pragma once
#include <cstdint>

constexpr int32_t kFirstHotkeyId = 33001;

// Ids count from 33001; a failed registration still uses its number and gives 0.
int32_t RegisterSystemHotkey(void* owner, void* receiver, int32_t modifiers, int32_t virtualKey);

// True while a key acted on has not yet been seen released (its repeats are
// ignored until then).
bool AnyHotkeyHeld();
