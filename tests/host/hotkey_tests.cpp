#include "app/globals.h"
#include "hotkeys/hotkey_handlers.h"
#include "hotkeys/key_presses.h"
#include "target/hidden_windows.h"
#include "tests/host/host_runtime.h"
#include "tests/host/host_system.h"
#include "ui/window_api.h"
#include "ui/window_definition.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class HotkeyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetHost();
        ResetSystem();
        InitGlobals();
        System().properties[{kWindowRecordId, kPropVisible}] = 1;
    }
    void TearDown() override {
        ShowEveryRememberedWindow();
        ReleaseGlobals();
        EXPECT_EQ(Host().live, 0) << "blocks left behind";
    }
    static std::vector<int32_t> Ids() {
        return {Element<int32_t>(HotkeyIds, 1), Element<int32_t>(HotkeyIds, 2),
                Element<int32_t>(HotkeyIds, 3)};
    }
    static int32_t Visible() { return System().properties[{kWindowRecordId, kPropVisible}]; }
};

TEST_F(HotkeyTest, CreatedRegistersF1ToF3AndCopiesTheActionTable) {
    const void* before = HotkeyActions;
    OnMainWindowCreated();
    EXPECT_EQ(Ids(), (std::vector<int32_t>{33001, 33002, 33003}));
    const std::string owner = std::to_string(kWindowRecordId & 0xFFFF);
    const std::string label = std::to_string(kLabel1 & 0xFFFF);
    const std::vector<std::string> expected = {owner + " " + label + " 0 112",
                                               owner + " " + label + " 0 113",
                                               owner + " " + label + " 0 114"};
    EXPECT_EQ(System().registrations, expected);
    EXPECT_NE(static_cast<const void*>(HotkeyActions), before);
    EXPECT_NE(static_cast<const void*>(HotkeyActions), static_cast<const void*>(HotkeyActionTable));
    EXPECT_EQ(std::memcmp(HotkeyActions, HotkeyActionTable, 8 + 3 * sizeof(Subroutine)), 0);
    ASSERT_FALSE(Host().freed.empty());
    EXPECT_EQ(Host().freed.back(), before) << "the old block of HotkeyActions is released";
}

TEST_F(HotkeyTest, EachIdRunsItsActionAndOthersNothing) {
    System().refusedKeys = {0x70}; // F1 is held by another program
    OnMainWindowCreated();
    EXPECT_EQ(Ids(), (std::vector<int32_t>{0, 33002, 33003}));
    const struct {
        int32_t id;
        int32_t visibleAfter; // F3's action flips the tool's visibility
        size_t messageBoxes;  // F1's action with nothing picked shows the box
    } cases[] = {
        {0, 1, 0},     // the mark of the refused key is no press
        {33001, 1, 0}, // refused: no effect
        {99, 1, 0},    {33004, 1, 0}, {33003, 0, 0}, {33003, 1, 0},
    };
    for (const auto& c : cases) {
        System().log.clear();
        OnHotkeyFeedback(c.id, 0);
        EXPECT_EQ(Visible(), c.visibleAfter) << "id " << c.id;
        size_t boxes = 0;
        for (const std::string& line : System().log) {
            boxes += line.rfind("MessageBox", 0) == 0;
        }
        EXPECT_EQ(boxes, c.messageBoxes) << "id " << c.id;
    }
    System().log.clear();
    OnHotkeyFeedback(33002, 0); // F2: ShowTarget, which enables the controls
    EXPECT_EQ((System().properties[{kButton1, kPropDisabled}]), 0);
    EXPECT_FALSE(System().log.empty());
}

TEST_F(HotkeyTest, F1WithNothingPickedShowsTheBox) {
    OnMainWindowCreated();
    System().log.clear();
    OnHotkeyFeedback(33001, 0);
    ASSERT_EQ(System().log.size(), 3u);
    EXPECT_EQ(System().log[1], "MessageBox 没有指定窗口 / 信息：");
}

TEST(KeyPresses, AHeldKeyActsOncePerPress) {
    const struct {
        const char* step;
        int32_t key;
        bool release; // else a WM_HOTKEY
        bool acts;
    } steps[] = {
        {"F1 pressed", 0x70, false, true},
        {"F1 repeat", 0x70, false, false},
        {"F1 repeat", 0x70, false, false},
        {"F3 pressed while F1 is held", 0x72, false, true},
        {"F3 repeat", 0x72, false, false},
        // Only the newest key repeats: F1 after F3 is a new press, even before
        // the poll has seen either key up (a fast burst queued in one go).
        {"F1 pressed again, no release seen", 0x70, false, true},
        {"F1 repeat", 0x70, false, false},
        {"F1 released", 0x70, true, false},
        {"F1 pressed again", 0x70, false, true},
        {"F3 released", 0x72, true, false},
        {"F3 pressed again", 0x72, false, true},
        {"F3 repeat", 0x72, false, false},
        {"F2 pressed", 0x71, false, true},
        {"F3 pressed", 0x72, false, true},
        {"F2 pressed", 0x71, false, true},
    };
    KeyPresses presses;
    for (const auto& s : steps) {
        if (s.release) {
            presses.Released(s.key);
        } else {
            EXPECT_EQ(presses.Press(s.key), s.acts) << s.step;
        }
    }
    presses.Released(0x70);
    presses.Released(0x71);
    presses.Released(0x72);
    EXPECT_FALSE(presses.AnyHeld());
}

} // namespace
