#include "target/target_handlers.h"

// The pick, hide and show logic is not in this build yet: the handlers are bound
// in the window definition and do nothing so far.
void OnPickPress(int32_t, int32_t, int32_t) {}
void OnPickMove(int32_t, int32_t, int32_t) {}
void OnPickRelease(int32_t, int32_t, int32_t) {}
void HideTarget() {}
void ShowTarget() {}
void ToggleToolWindow() {}
void OnMainWindowClosing() {}
