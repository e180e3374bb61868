#include "ui/window_definition.h"

#include "app/runtime.h"
#include "hotkeys/hotkey_handlers.h"
#include "target/target_handlers.h"

namespace {

const WindowRow kMainWindow = {
    kMainWindowId,
    kWindowRecordId,
    L"窗口隐藏工具",
    50,
    50,
    254,
    134,
    /*centred*/ true,
    /*minimiseBox*/ true,
    /*maximiseBox*/ false,
    /*controlBox*/ true,
    /*alwaysOnTop*/ true,
    /*showInTaskbar*/ true,
    /*visible*/ true,
    /*escCloses*/ true,
    /*enterMovesFocus*/ false,
    kButtonFaceColour,
};

// Creation order; the stacking order is the reverse.
const ControlRow kControls[] = {
    {ControlKind::PictureBox, "图片框1", kPictureBox1, 100, 207, 3, 32, 32, L"", 0x000000,
     kButtonFaceColour, true, false},
    {ControlKind::Label, "标签1", kLabel1, 110, 9, 7, 23, 24, L"窗口", 0x000000, kButtonFaceColour,
     false, false},
    {ControlKind::Label, "编辑框1", kEditBox1, 120, 39, 7, 161, 24, L"", 0x800000, 0xECECEC, true,
     false},
    {ControlKind::OwnerDrawButton, "按钮1", kButton1, 130, 10, 51, 73, 40, L"F1 隐藏窗口", 0, 0,
     false, true},
    {ControlKind::OwnerDrawButton, "按钮2", kButton2, 140, 90, 51, 73, 40, L"F2 显示窗口", 0, 0,
     false, true},
    {ControlKind::OwnerDrawButton, "超按钮3", kSuperButton3, 150, 170, 51, 73, 40, L"F3 隐藏工具",
     0, 0, false, true},
};

const ButtonColours kButtonColours = {0x000000, 0xFCFDDF, 0x000000, 0xF7F999, 0x000000, 0xFCFDDF};

const EventBinding kBindings[] = {
    {kWindowRecordId, EventKind::Created, OnMainWindowCreated, nullptr, nullptr},
    {kWindowRecordId, EventKind::WillBeDestroyed, OnMainWindowClosing, nullptr, nullptr},
    {kButton1, EventKind::Clicked, HideTarget, nullptr, nullptr},
    {kButton2, EventKind::Clicked, ShowTarget, nullptr, nullptr},
    // Its caption promises the F3 action, so a click does what F3 does.
    {kSuperButton3, EventKind::Clicked, ToggleToolWindow, nullptr, nullptr},
    {kLabel1, EventKind::Feedback, nullptr, nullptr, OnHotkeyFeedback},
    {kPictureBox1, EventKind::LeftButtonDown, nullptr, OnPickPress, nullptr},
    {kPictureBox1, EventKind::LeftButtonUp, nullptr, OnPickRelease, nullptr},
    {kPictureBox1, EventKind::MouseMove, nullptr, OnPickMove, nullptr},
    // Losing the capture ends a pick as a release would.
    {kPictureBox1, EventKind::CaptureLost, OnPickCaptureLost, nullptr, nullptr},
};

const WindowDefinition kMainDefinition = {
    &kMainWindow,
    kControls,
    static_cast<int>(sizeof kControls / sizeof kControls[0]),
    &kButtonColours,
    1,
    kBindings,
    static_cast<int>(sizeof kBindings / sizeof kBindings[0]),
};

} // namespace

const WindowDefinition* FindWindowDefinition(int32_t windowId) {
    return windowId == kMainWindowId ? &kMainDefinition : nullptr;
}

const ControlRow* FindControlRow(const WindowDefinition& definition, int32_t recordId) {
    for (int k = 0; k < definition.controlCount; ++k) {
        if (definition.controls[k].recordId == recordId) {
            return &definition.controls[k];
        }
    }
    return nullptr;
}

const EventBinding* FindBinding(const WindowDefinition& definition, int32_t recordId,
                                EventKind event) {
    for (int k = 0; k < definition.bindingCount; ++k) {
        const EventBinding& b = definition.bindings[k];
        if (b.recordId == recordId && b.event == event) {
            return &b;
        }
    }
    return nullptr;
}
