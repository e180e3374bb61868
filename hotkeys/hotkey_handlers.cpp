#include "hotkeys/hotkey_handlers.h"

#include "app/globals.h"
#include "hotkeys/hotkey_service.h"
#include "target/target_handlers.h"
#include "ui/image_constants.h"
#include "ui/window_api.h"
#include "ui/window_definition.h"

namespace {

struct ActionTable {
    int32_t dimensions, count;
    Subroutine actions[3];
};
const ActionTable kActionTable = {1, 3, {HideTarget, ShowTarget, ToggleToolWindow}};

// F1, F2, F3, with no modifier.
const int32_t kVirtualKeys[3] = {0x70, 0x71, 0x72};

} // namespace

const DimArray* const HotkeyActionTable = reinterpret_cast<const DimArray*>(&kActionTable);

void OnMainWindowCreated() {
    for (int32_t k = 1; k <= 3; ++k) {
        int32_t& id = Element<int32_t>(HotkeyIds, k);
        void* owner = ControlHandle(kMainWindowId, kWindowRecordId);
        void* receiver = ControlHandle(kMainWindowId, kLabel1);
        id = RegisterSystemHotkey(owner, receiver, 0, kVirtualKeys[k - 1]);
    }
    AssignArray(&HotkeyActions, HotkeyActionTable, sizeof(Subroutine));
    // The drag handle's resting state: the cross-hair in the box, the hand over it.
    WriteProperty(kMainWindowId, kPictureBox1, kPropPicture, CrossHairCursor);
    WriteProperty(kMainWindowId, kPictureBox1, kPropMousePointer, HandCursor);
}

void OnHotkeyFeedback(int32_t id, int32_t) {
    for (int32_t k = 1; k <= 3; ++k) {
        // 0 marks a key that could not be registered: no press carries it.
        const int32_t registered = Element<int32_t>(HotkeyIds, k);
        if (registered != 0 && id == registered) {
            Subroutine action = Element<Subroutine>(HotkeyActions, k);
            if (action != nullptr) {
                action();
            }
            return;
        }
    }
}
