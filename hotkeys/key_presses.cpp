#include "hotkeys/key_presses.h"

bool KeyPresses::Press(int32_t virtualKey) {
    if (virtualKey != last) {
        Released(virtualKey);
        last = virtualKey;
    }
    for (int k = 0; k < count; ++k) {
        if (keys[k] == virtualKey) {
            return false;
        }
    }
    if (count < kMaxKeys) {
        keys[count++] = virtualKey;
    }
    return true;
}

void KeyPresses::Released(int32_t virtualKey) {
    for (int k = 0; k < count; ++k) {
        if (keys[k] == virtualKey) {
            keys[k] = keys[--count];
            return;
        }
    }
}
