#include "app/globals.h"
#include "target/hidden_windows.h"
#include "target/target_handlers.h"
#include "tests/host/host_runtime.h"
#include "tests/host/host_system.h"
#include "ui/image_constants.h"
#include "ui/window_api.h"
#include "ui/window_definition.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr WindowHandle kA = 0x10010, kB = 0x20020;

class TargetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetHost();
        ResetSystem();
        InitGlobals();
        PickActive = 0;
        System().windows[kA] = {100, 50, 400, 250, "Window A"};
        System().windows[kB] = {10, 20, 30, 40, "Window B"};
        System().properties[{kWindowRecordId, kPropVisible}] = 1;
    }
    void TearDown() override {
        ShowEveryRememberedWindow();
        ReleaseGlobals();
        EXPECT_EQ(Host().live, 0) << "blocks left behind";
    }
    static void Pick(WindowHandle window) {
        OnPickPress(1, 1, 0);
        System().underPointer = window;
        OnPickMove(65535, 3, 0);
        OnPickRelease(65535, 3, 0);
    }
    static std::string Stored() {
        const char* t = Element<Text>(TargetHandleText, 1);
        return t != nullptr ? t : "";
    }
    static std::string Caption() { return System().captions[kEditBox1]; }
    static const DimArray* Value(int32_t property) {
        return System().values[{kPictureBox1, property}];
    }
    static bool Visible(WindowHandle w) { return System().windows[w].visible; }
    static int32_t Prop(int32_t record, int32_t number) {
        return System().properties[{record, number}];
    }
    static bool Logged(const std::string& line) {
        const auto& log = System().log;
        return std::find(log.begin(), log.end(), line) != log.end();
    }
};

TEST_F(TargetTest, APickStoresTheHandleAsDecimalAndShowsTheTitle) {
    const std::string longTitle(300, 'x');
    const struct {
        WindowHandle handle;
        std::string title, stored, shown;
    } cases[] = {
        {kA, "Notepad", "65552", "Notepad"},
        {kB, "\xD6\xD0\xCE\xC4", "131104", "\xD6\xD0\xCE\xC4"}, // 中文 in code page 936
        {0x30030, "", "196656", ""},
        {0x40040, longTitle, "262208", longTitle.substr(0, 254)},
        {0x80000010u, "top bit", "-2147483632", "top bit"},
        {0, "", "0", ""}, // no window at the point
    };
    for (const auto& c : cases) {
        if (c.handle != 0) {
            System().windows[c.handle] = {0, 0, 10, 10, c.title};
        }
        Pick(c.handle);
        EXPECT_EQ(Stored(), c.stored) << "title " << c.title.size() << " bytes";
        EXPECT_EQ(Caption(), c.shown) << "title " << c.title.size() << " bytes";
    }
}

TEST_F(TargetTest, ThePickMovesThroughItsStates) {
    OnPickPress(1, 1, 0);
    EXPECT_EQ(PickActive, 1);
    EXPECT_EQ(Value(kPropPicture), EmptyPicture);
    EXPECT_EQ(Value(kPropMousePointer), CrossHairCursor);
    // Pending events are processed before the capture is taken.
    const auto& log = System().log;
    const auto pending = std::find(log.begin(), log.end(), "ProcessPendingEvents");
    const auto capture = std::find(log.begin(), log.end(), "SetCapture");
    EXPECT_TRUE(pending < capture && capture != log.end());
    EXPECT_EQ(System().capture, static_cast<WindowHandle>(kPictureBox1 & 0xFFFF));
    OnPickRelease(1, 1, 0);
    EXPECT_EQ(PickActive, 0);
    EXPECT_EQ(Value(kPropPicture), CrossHairCursor);
    EXPECT_EQ(Value(kPropMousePointer), HandCursor);
    EXPECT_EQ(System().capture, 0u);
}

TEST_F(TargetTest, OnlyAPickInProgressChangesTheTarget) {
    Pick(kA);
    System().underPointer = kB;
    OnPickMove(5, 5, 0); // moving over the box without pressing
    EXPECT_EQ(Stored(), "65552");
    EXPECT_EQ(Caption(), "Window A");
    OnPickPress(1, 1, 0); // press and release with no move between
    OnPickRelease(1, 1, 0);
    EXPECT_EQ(Stored(), "65552");
}

TEST_F(TargetTest, LosingTheCaptureEndsThePick) {
    Pick(kA);
    OnPickPress(1, 1, 0);
    System().underPointer = kB;
    OnPickMove(1, 1, 0);
    OnPickCaptureLost();
    EXPECT_EQ(PickActive, 0);
    EXPECT_EQ(Value(kPropPicture), CrossHairCursor);
    EXPECT_EQ(Value(kPropMousePointer), HandCursor);
    // The target is what the last move stored; later moves over the box change nothing.
    EXPECT_EQ(Stored(), "131104");
    System().underPointer = kA;
    OnPickMove(1, 1, 0);
    EXPECT_EQ(Stored(), "131104");
    // The release's own ReleaseCapture comes back as a capture change: nothing more happens.
    System().values.clear();
    OnPickCaptureLost();
    EXPECT_EQ(Value(kPropPicture), nullptr);
}

TEST_F(TargetTest, HideAndShowKeepPlaceAndSizeAndSwitchTheControls) {
    Pick(kA);
    HideTarget();
    EXPECT_TRUE(Logged("SetWindowPos 65552 after 0 100,50 300x200 flags 16512"));
    EXPECT_FALSE(Visible(kA));
    EXPECT_EQ(Prop(kEditBox1, kPropDisabled), 1);
    EXPECT_EQ(Prop(kButton1, kPropDisabled), 1);
    ShowTarget();
    EXPECT_TRUE(Logged("SetWindowPos 65552 after 0 100,50 300x200 flags 16448"));
    EXPECT_TRUE(Visible(kA));
    EXPECT_EQ(Prop(kEditBox1, kPropDisabled), 0);
    EXPECT_EQ(Prop(kButton1, kPropDisabled), 0);
}

// The mark goes on before the hide and comes off with every way of showing again.
TEST_F(TargetTest, AHiddenWindowCarriesTheMarkUntilItIsShown) {
    const struct {
        const char* how;
        void (*show)();
    } cases[] = {
        {"ShowTarget", ShowTarget},
        {"closing", OnMainWindowClosing},
        {"the emergency", [] { System().emergency(); }},
    };
    for (const auto& c : cases) {
        Pick(kA);
        System().log.clear();
        HideTarget();
        ASSERT_GE(System().log.size(), 3u) << c.how;
        EXPECT_EQ(System().log[0], "Mark 65552") << c.how << ": marked before it goes";
        EXPECT_EQ(System().log[1], "GetWindowRect 65552") << c.how;
        EXPECT_EQ(System().log[2].rfind("SetWindowPos 65552", 0), 0u) << c.how;
        EXPECT_TRUE(System().windows[kA].marked) << c.how;
        c.show();
        EXPECT_TRUE(Visible(kA)) << c.how;
        EXPECT_FALSE(System().windows[kA].marked) << c.how << " left the mark";
    }
}

TEST_F(TargetTest, AChildOfAnotherProgramKeepsItsPlaceInItsParent) {
    constexpr WindowHandle kChild = 0x50050;
    System().windows[kChild] = {130, 80, 180, 100, "OK", true, kA}; // inside A at (30, 30)
    Pick(kChild);
    HideTarget();
    EXPECT_TRUE(Logged("SetWindowPos 327760 after 0 30,30 50x20 flags 16512"));
    EXPECT_FALSE(Visible(kChild));
    EXPECT_TRUE(Visible(kA)) << "only the child is hidden";
    ShowTarget();
    EXPECT_TRUE(Visible(kChild));
    EXPECT_EQ(System().windows[kChild].left, 130);
    EXPECT_EQ(System().windows[kChild].top, 80);
}

TEST_F(TargetTest, NothingPickedShowsTheMessageWithTopmostOffWhileItIsOpen) {
    HideTarget();
    const std::vector<std::string> expected = {
        "Write " + std::to_string(kWindowRecordId) + " 29 0",
        "MessageBox 没有指定窗口 / 信息：",
        "Write " + std::to_string(kWindowRecordId) + " 29 1",
    };
    EXPECT_EQ(System().log, expected);
    System().log.clear();
    ShowTarget(); // no test, no message: the calls fail on handle 0 and the controls are enabled
    EXPECT_TRUE(Logged("GetWindowRect 0"));
    EXPECT_EQ(Prop(kButton1, kPropDisabled), 0);
    EXPECT_TRUE(Visible(kA));
}

TEST_F(TargetTest, ClosingShowsEveryWindowTheToolHid) {
    Pick(kA);
    HideTarget();
    Pick(kB); // a new pick while A is hidden
    HideTarget();
    EXPECT_EQ(RememberedHiddenCount(), 2);
    OnMainWindowClosing();
    EXPECT_TRUE(Visible(kA));
    EXPECT_TRUE(Visible(kB));
    EXPECT_FALSE(System().windows[kA].marked);
    EXPECT_FALSE(System().windows[kB].marked);
    EXPECT_EQ(System().windows[kA].left, 100);
    EXPECT_EQ(System().windows[kA].right, 400);
    EXPECT_EQ(RememberedHiddenCount(), 0);
}

TEST_F(TargetTest, WindowsShownAgainOrGoneAreLeftAlone) {
    Pick(kA);
    HideTarget();
    ShowTarget();
    EXPECT_FALSE(IsRememberedHidden(kA));
    Pick(kB);
    HideTarget();
    System().windows.erase(kB); // its program ended
    Pick(kA);
    System().log.clear();
    OnMainWindowClosing();
    EXPECT_FALSE(Logged("SetWindowPos 131104 after 0 10,20 20x20 flags 16448"));
    EXPECT_EQ(RememberedHiddenCount(), 0);
}

TEST_F(TargetTest, TheEmergencyCallbackShowsTheHiddenWindows) {
    Pick(kA);
    HideTarget();
    Pick(kB);
    HideTarget();
    ASSERT_NE(System().emergency, nullptr);
    System().emergency();
    EXPECT_TRUE(Visible(kA));
    EXPECT_TRUE(Visible(kB));
}

TEST_F(TargetTest, ToggleSwitchesVisibleAndTaskbarTogether) {
    const struct { int32_t visibleBefore, expected; } cases[] = {{1, 0}, {0, 1}};
    for (const auto& c : cases) {
        System().properties[{kWindowRecordId, kPropVisible}] = c.visibleBefore;
        ToggleToolWindow();
        EXPECT_EQ(Prop(kWindowRecordId, kPropVisible), c.expected);
        EXPECT_EQ(Prop(kWindowRecordId, kPropShowInTaskbar), c.expected);
    }
}

} // namespace
