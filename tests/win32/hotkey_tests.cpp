// The hotkey service on Win32: registration, delivery of a press to the label
// before the press goes on, and keys that another window already holds.
#include "tests/win32/win32_test_support.h"

#include "app/dim_array.h"
#include "app/globals.h"
#include "hotkeys/hotkey_service.h"
#include "ui/window_api.h"
#include "ui/window_definition.h"

namespace {

using HotkeyServiceTest = ToolWindowTest;

int32_t IdOf(int32_t k) {
    return Element<int32_t>(HotkeyIds, k);
}

TEST_F(HotkeyServiceTest, IdsFollowEachOtherAndEachPressReachesTheLabelFirst) {
    ASSERT_NE(IdOf(1), 0);
    EXPECT_EQ(IdOf(2), IdOf(1) + 1);
    EXPECT_EQ(IdOf(3), IdOf(1) + 2);
    EXPECT_GE(IdOf(1), 33001);
    const struct {
        const char* name;
        WPARAM id;
        bool feedback;
        bool visibleAfter;
    } cases[] = {
        {"F3's id", static_cast<WPARAM>(IdOf(3)), true, false},
        {"F3's id again", static_cast<WPARAM>(IdOf(3)), true, true},
        {"an id never issued", 40000, false, true},
        {"below the first id", 33000, false, true},
    };
    for (const auto& c : cases) {
        // A separate press: the service has seen the key up since the last one.
        EXPECT_WITHIN(3000, !AnyHotkeyHeld());
        Recorded().clear();
        // Sent, not posted: the action must be done when the message returns.
        SendMessageW(MainWindow(), WM_HOTKEY, c.id, 0);
        EXPECT_EQ(!RecordedLines("feedback").empty(), c.feedback) << c.name;
        EXPECT_EQ(IsWindowVisible(MainWindow()) != 0, c.visibleAfter) << c.name;
    }
}

// Another window takes F1 first, as another program would.
class HotkeyHeldElsewhereTest : public ToolWindowTest {
  protected:
    void SetUp() override {
        other_ = CreateWindowExW(0, L"STATIC", L"holder", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_TRUE(RegisterHotKey(other_, 1, 0, VK_F1));
        ToolWindowTest::SetUp();
    }
    void TearDown() override {
        ToolWindowTest::TearDown();
        UnregisterHotKey(other_, 1);
        DestroyWindow(other_);
    }
    HWND other_ = nullptr;
};

TEST_F(HotkeyHeldElsewhereTest, AKeyAnotherWindowHoldsGetsZero) {
    EXPECT_EQ(IdOf(1), 0);
    EXPECT_NE(IdOf(2), 0);
    EXPECT_NE(IdOf(3), 0);
    Recorded().clear();
    SendMessageW(MainWindow(), WM_HOTKEY, static_cast<WPARAM>(IdOf(2) - 1), 0);
    EXPECT_TRUE(IsWindowVisible(MainWindow())) << "the refused key's number does nothing";
}

} // namespace
