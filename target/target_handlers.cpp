#include "target/target_handlers.h"

#include "app/globals.h"
#include "app/runtime.h"
#include "app/value_rules.h"
#include "target/hidden_windows.h"
#include "ui/image_constants.h"
#include "ui/window_api.h"
#include "ui/window_definition.h"

namespace {

constexpr int32_t kTitleLimit = 255;

void SetRestingHandle() {
    WriteProperty(kMainWindowId, kPictureBox1, kPropPicture, CrossHairCursor);
    WriteProperty(kMainWindowId, kPictureBox1, kPropMousePointer, HandCursor);
}

WindowHandle HandleFromText() {
    Text& element = Element<Text>(TargetHandleText, 1);
    return static_cast<WindowHandle>(RealToInt32(TextToNumber(element)));
}

// SetWindowPos with the place and size just read into TargetRect, so a window
// keeps where it was and only the hide or show flag changes.
void PlaceFromTargetRect(WindowHandle window, uint32_t flags) {
    const double width = static_cast<double>(TargetRect->right) - TargetRect->left;
    const double height = static_cast<double>(TargetRect->bottom) - TargetRect->top;
    // A child (a button of another program) would move by its parent's offset
    // if its screen rectangle went back as it was read.
    int32_t x = TargetRect->left;
    int32_t y = TargetRect->top;
    SysScreenToParent(window, &x, &y);
    SysSetWindowPos(window, 0, x, y, RealToInt32(width), RealToInt32(height),
                    flags | kSwpAsyncWindowPos);
}

void UpdateTarget(uint32_t flags) {
    SysGetWindowRect(HandleFromText(), TargetRect);
    PlaceFromTargetRect(HandleFromText(), flags);
}

} // namespace

void ShowWindowInPlace(WindowHandle window) {
    SysGetWindowRect(window, TargetRect);
    PlaceFromTargetRect(window, kSwpShowWindow);
}

void OnPickPress(int32_t, int32_t, int32_t) {
    PickActive = 1;
    WriteProperty(kMainWindowId, kPictureBox1, kPropPicture, EmptyPicture);
    WriteProperty(kMainWindowId, kPictureBox1, kPropMousePointer, CrossHairCursor);
    ProcessPendingEvents();
    SysSetCapture(static_cast<WindowHandle>(
        reinterpret_cast<uintptr_t>(ControlHandle(kMainWindowId, kPictureBox1))));
}

void OnPickMove(int32_t, int32_t, int32_t) {
    Text title = MakeBlankText(kTitleLimit);
    if (PickActive == 1) {
        Text& element = Element<Text>(TargetHandleText, 1);
        const int32_t x = CurrentMouseX();
        const int32_t y = CurrentMouseY();
        const WindowHandle found = SysWindowFromPoint(x, y);
        Text fresh = IntToText(static_cast<int32_t>(found));
        Text old = element;
        element = fresh;
        FreeBlock(old);
        const WindowHandle window = HandleFromText();
        const int32_t length = SysGetWindowTextA(window, title, kTitleLimit);
        Text caption = LeftText(title, length);
        WriteProperty(kMainWindowId, kEditBox1, kPropCaption, caption);
        FreeBlock(caption);
    }
    FreeBlock(title);
}

void OnPickRelease(int32_t, int32_t, int32_t) {
    PickActive = 0;
    SetRestingHandle();
    SysReleaseCapture();
}

void OnPickCaptureLost() {
    // Only a pick in progress ends here; the release's own ReleaseCapture
    // arrives after it has already ended the pick.
    if (PickActive != 1) {
        return;
    }
    PickActive = 0;
    SetRestingHandle();
}

void HideTarget() {
    if (CompareText(Element<Text>(TargetHandleText, 1), "") == 0) {
        WriteProperty(kMainWindowId, kWindowRecordId, kPropAlwaysOnTop, 0);
        ShowMessageBox("没有指定窗口", "信息：");
        WriteProperty(kMainWindowId, kWindowRecordId, kPropAlwaysOnTop, 1);
        return;
    }
    // Remembered (and marked) before it goes, so that neither a new pick, a
    // fatal end nor a kill loses it.
    RememberHidden(HandleFromText());
    UpdateTarget(kSwpHideWindow);
    WriteProperty(kMainWindowId, kEditBox1, kPropDisabled, 1);
    WriteProperty(kMainWindowId, kButton1, kPropDisabled, 1);
}

void ShowTarget() {
    UpdateTarget(kSwpShowWindow);
    ForgetHidden(HandleFromText());
    WriteProperty(kMainWindowId, kEditBox1, kPropDisabled, 0);
    WriteProperty(kMainWindowId, kButton1, kPropDisabled, 0);
}

void ToggleToolWindow() {
    if (ReadProperty(kMainWindowId, kWindowRecordId, kPropVisible) == 1) {
        WriteProperty(kMainWindowId, kWindowRecordId, kPropVisible, 0);
        WriteProperty(kMainWindowId, kWindowRecordId, kPropShowInTaskbar, 0);
    } else {
        WriteProperty(kMainWindowId, kWindowRecordId, kPropVisible, 1);
        WriteProperty(kMainWindowId, kWindowRecordId, kPropShowInTaskbar, 1);
    }
}

void OnMainWindowClosing() {
    UpdateTarget(kSwpShowWindow);
    ForgetHidden(HandleFromText());
    ShowEveryRememberedWindow();
}
