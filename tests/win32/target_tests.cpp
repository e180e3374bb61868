// The target window on Win32: no window the tool hid stays hidden after a fatal
// end or a crash, and a pick ends when its capture is taken away.
#include "tests/win32/win32_test_support.h"

#include "app/dim_array.h"
#include "app/globals.h"
#include "app/runtime.h"
#include "app/runtime_win32.h"
#include "target/hidden_windows.h"
#include "target/target_handlers.h"
#include "ui/window_api.h"
#include "ui/window_definition.h"
#include "ui/window_layer_win32.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// Closes the fatal error box as a user would, once it is up.
DWORD WINAPI CloseErrorBox(void*) {
    for (int tries = 0; tries < 600; ++tries) {
        HWND box = FindWindowW(L"#32770", L"窗口隐藏工具");
        if (box != nullptr) {
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        Sleep(50);
    }
    return 1;
}

// In the death test's child: the tool's window, the target (the parent's
// window, named in the environment) picked and hidden.
void OpenToolAndHideTheTarget() {
    wchar_t text[32] = {};
    GetEnvironmentVariableW(L"WH_TEST_TARGET", text, 32);
    char handle[32];
    std::snprintf(handle, sizeof handle, "%ls", text);
    InitRuntime();
    InitGlobals();
    SetExitCallback(ReleaseGlobals);
    LoadWindow(kMainWindowId);
    std::fprintf(stderr, "child: target %s\n", handle);
    StoreText(&Element<Text>(TargetHandleText, 1), handle);
    HideTarget();
    std::fprintf(stderr, "child: hidden\n");
    // The hide goes to the parent's thread as a request: wait until it is done.
    HWND target = reinterpret_cast<HWND>(std::strtoul(handle, nullptr, 10));
    if (!WaitFor([&] { return !IsWindowVisible(target); })) {
        std::exit(7); // the hide itself failed: nothing below would mean anything
    }
}

void HideThenFatalError() {
    OpenToolAndHideTheTarget();
    CreateThread(nullptr, 0, CloseErrorBox, nullptr, 0, nullptr);
    Element<Text>(TargetHandleText, 3);
    std::exit(3);
}

void HideThenCrash() {
    OpenToolAndHideTheTarget();
    RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    std::exit(3);
}

// On Windows the crash ends with its exception code; under Wine in the 32-bit
// emulator the dying process can report 0. Only the markers above are wrong.
bool EndedByTheCrash(int status) {
    return status != 3 && status != 7;
}

TEST(TargetRestoreDeathTest, NoWindowStaysHiddenAfterAFatalEndOrACrash) {
    const struct {
        const char* name;
        void (*run)();
        bool fatal; // exit code -1, else the crash's own status
    } cases[] = {{"fatal runtime error", HideThenFatalError, true},
                 {"crash", HideThenCrash, false}};
    // gtest runs this body again in each child up to its own EXPECT_EXIT: the
    // target must stay the parent's window, named by the parent's environment.
    const bool parent = GTEST_FLAG_GET(internal_run_death_test).empty();
    for (const auto& c : cases) {
        std::unique_ptr<ThreadWindow> target;
        if (parent) {
            target = std::make_unique<ThreadWindow>(L"target", RECT{40, 40, 240, 160});
            ASSERT_NE(target->hwnd(), nullptr);
            wchar_t text[32];
            std::swprintf(text, 32, L"%lu",
                          static_cast<unsigned long>(reinterpret_cast<uintptr_t>(target->hwnd())));
            SetEnvironmentVariableW(L"WH_TEST_TARGET", text);
        }
        if (c.fatal) {
            EXPECT_EXIT(c.run(), ::testing::ExitedWithCode(-1), "child: hidden") << c.name;
        } else {
            EXPECT_EXIT(c.run(), EndedByTheCrash, "child: hidden") << c.name;
        }
        if (!parent) {
            continue;
        }
        HWND hwnd = target->hwnd();
        EXPECT_WITHIN(5000, IsWindowVisible(hwnd));
        EXPECT_TRUE(IsWindowVisible(hwnd)) << c.name << ": the target is visible again";
        RECT r;
        GetWindowRect(hwnd, &r);
        EXPECT_EQ(r.left, 40) << c.name;
        EXPECT_EQ(r.right - r.left, 200) << c.name;
    }
}

using PickTest = ToolWindowTest;

TEST_F(PickTest, TakingTheCaptureAwayEndsThePick) {
    HWND box = Control(100);
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(PickActive, 1);
    EXPECT_EQ(GetCapture(), box);
    // Another window takes the capture, as a menu or a message box would.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                                 nullptr, nullptr, nullptr, nullptr);
    SetCapture(other);
    ProcessPendingEvents();
    EXPECT_EQ(PickActive, 0) << "the pick ended with the capture";
    // At rest again: moving over the box changes nothing.
    StoreText(&Element<Text>(TargetHandleText, 1), "12345");
    ReleaseCapture();
    SendMessageW(box, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_STREQ(Element<Text>(TargetHandleText, 1), "12345");
    DestroyWindow(other);
}

} // namespace

namespace {

TEST_F(PickTest, TheThirdButtonHidesAndShowsTheTool) {
    HWND main = MainWindow();
    SendMessageW(Control(150), BM_CLICK, 0, 0);
    EXPECT_WITHIN(3000, !IsWindowVisible(main));
    EXPECT_FALSE(IsWindowVisible(main)) << "a click on 超按钮3 hides the tool";
    ToggleToolWindow();
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr);
}

} // namespace
