#include "hotkeys/hotkey_handlers.h"

// Registration and dispatch are not in this build yet: the handlers are bound in
// the window definition and do nothing so far.
void OnMainWindowCreated() {}
void OnHotkeyFeedback(int32_t, int32_t) {}
