// Telling a new press of a hotkey from the repeats of a key held down: a key
// acts again only once it has been seen released since the press it acted on,
// or once another hotkey came in between (a keyboard repeats only the newest
// key, so that is a new press even if the poll has not yet seen a release).
#pragma once
#include <cstdint>

struct KeyPresses {
    static constexpr int kMaxKeys = 16;
    int32_t keys[kMaxKeys] = {}; // virtual-key codes held since their last acted press
    int count = 0;
    int32_t last = 0; // the key of the latest WM_HOTKEY

    // True when this WM_HOTKEY is a new press; the key then counts as held.
    bool Press(int32_t virtualKey);
    // The poll saw the key up: its next WM_HOTKEY is a new press.
    void Released(int32_t virtualKey);
    bool AnyHeld() const { return count != 0; }
};
