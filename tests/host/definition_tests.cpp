#include "app/runtime.h"
#include "hotkeys/hotkey_handlers.h"
#include "target/target_handlers.h"
#include "ui/window_definition.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const WindowDefinition& Main() {
    const WindowDefinition* d = FindWindowDefinition(kMainWindowId);
    EXPECT_NE(d, nullptr);
    return *d;
}

TEST(WindowDefinition, OnlyTheMainWindowIsDefined) {
    EXPECT_NE(FindWindowDefinition(1375797249), nullptr);
    EXPECT_EQ(FindWindowDefinition(0), nullptr);
    EXPECT_EQ(FindWindowDefinition(kMainWindowId + 1), nullptr);
}

TEST(WindowDefinition, ControlsInCreationOrderWithTheirPlaces) {
    const struct {
        const char* name;
        int32_t recordId;
        ControlKind kind;
        int childId, left, top, width, height;
        bool border, tabStop;
        const wchar_t* caption;
    } expected[] = {
        {"图片框1", 0x160100B4, ControlKind::PictureBox, 100, 207, 3, 32, 32, true, false, L""},
        {"标签1", 0x160100B5, ControlKind::Label, 110, 9, 7, 23, 24, false, false, L"窗口"},
        {"编辑框1", 0x160100B6, ControlKind::Label, 120, 39, 7, 161, 24, true, false, L""},
        {"按钮1", 0x160100BA, ControlKind::OwnerDrawButton, 130, 10, 51, 73, 40, false, true,
         L"F1 隐藏窗口"},
        {"按钮2", 0x160100BB, ControlKind::OwnerDrawButton, 140, 90, 51, 73, 40, false, true,
         L"F2 显示窗口"},
        {"超按钮3", 0x160100BC, ControlKind::OwnerDrawButton, 150, 170, 51, 73, 40, false, true,
         L"F3 隐藏工具"},
    };
    const WindowDefinition& d = Main();
    ASSERT_EQ(d.controlCount, 6);
    for (int k = 0; k < 6; ++k) {
        const ControlRow& row = d.controls[k];
        const auto& e = expected[k];
        EXPECT_STREQ(row.name, e.name) << "row " << k;
        EXPECT_EQ(row.recordId, e.recordId) << e.name;
        EXPECT_EQ(row.kind, e.kind) << e.name;
        EXPECT_EQ(row.childId, e.childId) << e.name;
        EXPECT_EQ(row.left, e.left) << e.name;
        EXPECT_EQ(row.top, e.top) << e.name;
        EXPECT_EQ(row.width, e.width) << e.name;
        EXPECT_EQ(row.height, e.height) << e.name;
        EXPECT_EQ(row.border, e.border) << e.name;
        EXPECT_EQ(row.tabStop, e.tabStop) << e.name;
        EXPECT_EQ(std::wcscmp(row.caption, e.caption), 0) << e.name;
        EXPECT_EQ(FindControlRow(d, e.recordId), &row) << e.name;
    }
}

TEST(WindowDefinition, NoTwoControlsOverlap) {
    const WindowDefinition& d = Main();
    for (int a = 0; a < d.controlCount; ++a) {
        for (int b = a + 1; b < d.controlCount; ++b) {
            const ControlRow& p = d.controls[a];
            const ControlRow& q = d.controls[b];
            const bool apart = p.left + p.width <= q.left || q.left + q.width <= p.left ||
                               p.top + p.height <= q.top || q.top + q.height <= p.top;
            EXPECT_TRUE(apart) << p.name << " overlaps " << q.name;
        }
    }
}

TEST(WindowDefinition, WindowSettingsAndColours) {
    const WindowDefinition& d = Main();
    const WindowRow& w = *d.window;
    EXPECT_EQ(w.recordId, 100728832);
    EXPECT_EQ(std::wcscmp(w.caption, L"窗口隐藏工具"), 0);
    EXPECT_EQ(w.width, 254);
    EXPECT_EQ(w.height, 134);
    EXPECT_TRUE(w.centred && w.minimiseBox && w.controlBox && w.alwaysOnTop && w.showInTaskbar &&
                w.visible && w.escCloses);
    EXPECT_FALSE(w.maximiseBox || w.enterMovesFocus);
    EXPECT_EQ(d.buttonColours->normalBack, 0xFCFDDFu);
    EXPECT_EQ(d.buttonColours->hotBack, 0xF7F999u);
    EXPECT_EQ(d.buttonColours->focusBack, 0xFCFDDFu);
    EXPECT_EQ(d.buttonCaptionShift, 1);
    const ControlRow* edit = FindControlRow(d, kEditBox1);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->textColour, 0x800000u);
    EXPECT_EQ(edit->backColour, 0xECECECu);
    EXPECT_EQ(FindControlRow(d, kLabel1)->backColour, kButtonFaceColour);
}

TEST(WindowDefinition, EventBindings) {
    const WindowDefinition& d = Main();
    const struct {
        int32_t recordId;
        EventKind event;
        PlainHandler plain;
        MouseHandler mouse;
        FeedbackHandler feedback;
    } expected[] = {
        {kWindowRecordId, EventKind::Created, OnMainWindowCreated, nullptr, nullptr},
        {kWindowRecordId, EventKind::WillBeDestroyed, OnMainWindowClosing, nullptr, nullptr},
        {kButton1, EventKind::Clicked, HideTarget, nullptr, nullptr},
        {kButton2, EventKind::Clicked, ShowTarget, nullptr, nullptr},
        {kSuperButton3, EventKind::Clicked, ToggleToolWindow, nullptr, nullptr},
        {kLabel1, EventKind::Feedback, nullptr, nullptr, OnHotkeyFeedback},
        {kPictureBox1, EventKind::LeftButtonDown, nullptr, OnPickPress, nullptr},
        {kPictureBox1, EventKind::LeftButtonUp, nullptr, OnPickRelease, nullptr},
        {kPictureBox1, EventKind::MouseMove, nullptr, OnPickMove, nullptr},
        {kPictureBox1, EventKind::CaptureLost, OnPickCaptureLost, nullptr, nullptr},
    };
    for (const auto& e : expected) {
        const EventBinding* b = FindBinding(d, e.recordId, e.event);
        ASSERT_NE(b, nullptr) << "record " << e.recordId << " event " << static_cast<int>(e.event);
        EXPECT_EQ(b->plain, e.plain);
        EXPECT_EQ(b->mouse, e.mouse);
        EXPECT_EQ(b->feedback, e.feedback);
    }
    EXPECT_EQ(FindBinding(d, kWindowRecordId, EventKind::Moved), nullptr);
    EXPECT_EQ(FindBinding(d, kEditBox1, EventKind::Clicked), nullptr);
}

} // namespace
