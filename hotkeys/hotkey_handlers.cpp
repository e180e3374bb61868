#include "hotkeys/hotkey_handlers.h"

#include "app/runtime.h"
#include "ui/image_constants.h"
#include "ui/window_api.h"
#include "ui/window_definition.h"

void OnMainWindowCreated() {
    // Hotkey registration joins here with the hotkeys. The drag handle's
    // resting state: the cross-hair in the box, the hand over it.
    WriteProperty(kMainWindowId, kPictureBox1, kPropPicture, CrossHairCursor);
    WriteProperty(kMainWindowId, kPictureBox1, kPropMousePointer, HandCursor);
}

// The dispatch of a key press comes with the hotkeys; nothing is registered yet.
void OnHotkeyFeedback(int32_t, int32_t) {}
