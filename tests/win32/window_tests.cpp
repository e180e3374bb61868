// The main window and its controls as created, driven and changed on Win32.
#include "tests/win32/win32_test_support.h"

#include "app/dim_array.h"
#include "app/globals.h"
#include "app/runtime.h"
#include "app/runtime_win32.h"
#include "ui/window_api.h"
#include "ui/window_definition.h"
#include "ui/window_layer_win32.h"

#include <cstring>

namespace {

enum ChildIds { kPicture = 100, kLabel = 110, kEdit = 120, kB1 = 130, kB2 = 140, kB3 = 150 };

using MainWindowTest = ToolWindowTest;

TEST_F(MainWindowTest, WindowIsCentredTopmostWithItsStyles) {
    HWND main = MainWindow();
    RECT r;
    GetWindowRect(main, &r);
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    const int sh = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(r.right - r.left, 254);
    EXPECT_EQ(r.bottom - r.top, 134);
    EXPECT_EQ(r.left, (sw - 254) / 2);
    EXPECT_EQ(r.top, (sh - 134) / 2);

    const LONG style = GetWindowLongW(main, GWL_STYLE);
    const LONG expected = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    // The system adds WS_VISIBLE and WS_CLIPSIBLINGS to a shown top-level window.
    EXPECT_EQ(style & ~(WS_VISIBLE | WS_CLIPSIBLINGS), expected) << std::hex << style;
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0) << std::hex << style;
    const LONG exStyle = GetWindowLongW(main, GWL_EXSTYLE);
    EXPECT_NE(exStyle & WS_EX_TOPMOST, 0) << std::hex << exStyle;
    // WS_EX_WINDOWEDGE comes with the caption; nothing else was asked for.
    EXPECT_EQ(exStyle & ~(WS_EX_TOPMOST | WS_EX_WINDOWEDGE), 0) << std::hex << exStyle;
    EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr);

    wchar_t caption[64] = {};
    GetWindowTextW(main, caption, 64);
    EXPECT_STREQ(caption, L"窗口隐藏工具");

    HMENU menu = GetSystemMenu(main, FALSE);
    MENUITEMINFOW move = {};
    move.cbSize = sizeof move;
    move.fMask = MIIM_STATE;
    EXPECT_TRUE(GetMenuItemInfoW(menu, SC_MOVE, FALSE, &move)) << "the system menu keeps Move";
    EXPECT_EQ(move.fState & MFS_DISABLED, 0u);
}

TEST_F(MainWindowTest, ControlsHaveTheirIdsPlacesClassesAndCaptions) {
    const struct {
        int id;
        const wchar_t* cls;
        int left, top, width, height, clientWidth, clientHeight;
        LONG styleBits;
        const wchar_t* caption;
    } expected[] = {
        {kPicture, L"WindowHiderLabel", 207, 3, 32, 32, 30, 30, WS_BORDER, L""},
        {kLabel, L"WindowHiderLabel", 9, 7, 23, 24, 23, 24, 0, L"窗口"},
        {kEdit, L"WindowHiderLabel", 39, 7, 161, 24, 159, 22, WS_BORDER, L""},
        {kB1, L"Button", 10, 51, 73, 40, 73, 40, WS_TABSTOP | BS_OWNERDRAW, L"F1 隐藏窗口"},
        {kB2, L"Button", 90, 51, 73, 40, 73, 40, WS_TABSTOP | BS_OWNERDRAW, L"F2 显示窗口"},
        {kB3, L"Button", 170, 51, 73, 40, 73, 40, WS_TABSTOP | BS_OWNERDRAW, L"F3 隐藏工具"},
    };
    for (const auto& e : expected) {
        HWND c = Control(e.id);
        ASSERT_NE(c, nullptr) << "child " << e.id;
        wchar_t cls[64] = {};
        GetClassNameW(c, cls, 64);
        EXPECT_EQ(lstrcmpiW(cls, e.cls), 0) << "child " << e.id << " class " << cls;
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, MainWindow(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, e.left) << "child " << e.id;
        EXPECT_EQ(r.top, e.top) << "child " << e.id;
        EXPECT_EQ(r.right - r.left, e.width) << "child " << e.id;
        EXPECT_EQ(r.bottom - r.top, e.height) << "child " << e.id;
        RECT client;
        GetClientRect(c, &client);
        EXPECT_EQ(client.right, e.clientWidth) << "child " << e.id;
        EXPECT_EQ(client.bottom, e.clientHeight) << "child " << e.id;
        const LONG style = GetWindowLongW(c, GWL_STYLE);
        const LONG must = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | e.styleBits;
        EXPECT_EQ(style & must, must) << "child " << e.id << std::hex << " style " << style;
        EXPECT_EQ(style & (WS_DISABLED | (e.styleBits & WS_TABSTOP ? 0 : WS_TABSTOP)), 0)
            << "child " << e.id << std::hex << " style " << style;
        if (e.styleBits & BS_OWNERDRAW) {
            EXPECT_EQ(style & BS_TYPEMASK, BS_OWNERDRAW) << "child " << e.id;
        }
        EXPECT_EQ(GetWindowLongW(c, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, 0) << "child " << e.id;
        wchar_t caption[64] = {};
        GetWindowTextW(c, caption, 64);
        EXPECT_STREQ(caption, e.caption) << "child " << e.id;
    }
}

TEST_F(MainWindowTest, StackingIsTheReverseOfCreation) {
    std::vector<int> order;
    for (HWND c = GetWindow(MainWindow(), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        order.push_back(ChildId(c));
    }
    const std::vector<int> expected = {kB3, kB2, kB1, kEdit, kLabel, kPicture};
    EXPECT_EQ(order, expected);
}

TEST_F(MainWindowTest, FocusStartsOnTheFirstButtonAndTabCyclesTheButtons) {
    EXPECT_EQ(ChildId(GetFocus()), kB1);
    const struct {
        bool shift;
        int expected;
    } steps[] = {{false, kB2}, {false, kB3}, {false, kB1}, {true, kB3}, {true, kB2}, {true, kB1}};
    for (const auto& s : steps) {
        PressKey(VK_TAB, s.shift);
        EXPECT_WITHIN(3000, ChildId(GetFocus()) == s.expected);
        EXPECT_EQ(ChildId(GetFocus()), s.expected) << (s.shift ? "Shift+Tab" : "Tab");
    }
}

TEST_F(MainWindowTest, EnterDoesNothingAndSpaceClicksTheFocusedButton) {
    PressKey(VK_TAB); // to 按钮2
    EXPECT_WITHIN(3000, ChildId(GetFocus()) == kB2);
    Recorded().clear();
    PressKey(VK_RETURN);
    // Space after Enter: once its click has arrived, Enter would have shown by then.
    PressKey(VK_SPACE);
    EXPECT_WITHIN(3000, !RecordedLines("event").empty());
    const std::vector<std::string> expected = {"event:" + std::to_string(kButton2) + ":" +
                                               std::to_string(int(EventKind::Clicked)) + ":0"};
    EXPECT_EQ(RecordedLines("event"), expected);
    EXPECT_EQ(ChildId(GetFocus()), kB2);
}

TEST_F(MainWindowTest, TheWindowGivesTheFocusBackToTheLastControl) {
    PressKey(VK_TAB);
    PressKey(VK_TAB);
    EXPECT_WITHIN(3000, ChildId(GetFocus()) == kB3);
    SetFocus(MainWindow());
    EXPECT_EQ(ChildId(GetFocus()), kB3);
}

TEST_F(MainWindowTest, PropertyWritesAndReads) {
    HWND main = MainWindow();
    EXPECT_EQ(ReadProperty(kMainWindowId, kWindowRecordId, kPropVisible), 1);
    WriteProperty(kMainWindowId, kWindowRecordId, kPropShowInTaskbar, 0);
    WriteProperty(kMainWindowId, kWindowRecordId, kPropVisible, 0);
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ(ReadProperty(kMainWindowId, kWindowRecordId, kPropVisible), 0);
    WriteProperty(kMainWindowId, kWindowRecordId, kPropVisible, 7); // any non-zero is true
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(ReadProperty(kMainWindowId, kWindowRecordId, kPropVisible), 1);
    // Show in taskbar is only recorded: the window keeps no owner.
    EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr);

    const struct {
        int32_t value;
        bool topmost;
    } onTop[] = {{0, false}, {1, true}, {0, false}, {-1, true}};
    for (const auto& t : onTop) {
        WriteProperty(kMainWindowId, kWindowRecordId, kPropAlwaysOnTop, t.value);
        const bool topmost = (GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        EXPECT_EQ(topmost, t.topmost) << "always on top " << t.value;
    }

    const struct {
        int32_t record;
        int id;
    } disabling[] = {{kEditBox1, kEdit}, {kButton1, kB1}};
    for (const auto& d : disabling) {
        WriteProperty(kMainWindowId, d.record, kPropDisabled, 1);
        EXPECT_FALSE(IsWindowEnabled(Control(d.id))) << "child " << d.id;
        EXPECT_EQ(ReadProperty(kMainWindowId, d.record, kPropDisabled), 1);
        WriteProperty(kMainWindowId, d.record, kPropDisabled, 0);
        EXPECT_TRUE(IsWindowEnabled(Control(d.id))) << "child " << d.id;
    }

    // The caption is ANSI text: in code page 936 these bytes are 你好.
    const char gbk[] = "\xC4\xE3\xBA\xC3 title";
    WriteProperty(kMainWindowId, kEditBox1, kPropCaption, gbk);
    char back[64] = {};
    GetWindowTextA(Control(kEdit), back, 64);
    EXPECT_STREQ(back, gbk);
    if (GetACP() == 936) {
        wchar_t wide[64] = {};
        GetWindowTextW(Control(kEdit), wide, 64);
        EXPECT_STREQ(wide, L"你好 title");
    }
    WriteProperty(kMainWindowId, kEditBox1, kPropCaption, static_cast<const char*>(nullptr));
    EXPECT_EQ(GetWindowTextLengthW(Control(kEdit)), 0);

    EXPECT_EQ(ControlHandle(kMainWindowId, kWindowRecordId), static_cast<void*>(main));
    EXPECT_EQ(ControlHandle(kMainWindowId, kLabel1), static_cast<void*>(Control(kLabel)));
    EXPECT_EQ(ControlHandle(kMainWindowId, kPictureBox1), static_cast<void*>(Control(kPicture)));
}

TEST_F(MainWindowTest, DisablingTheFirstButtonMovesTheFocusToTheThird) {
    const struct {
        const char* name;
        int focusedBefore;
    } cases[] = {{"focused", kB1}, {"not focused", kB2}};
    for (const auto& c : cases) {
        SetFocus(Control(c.focusedBefore));
        WriteProperty(kMainWindowId, kButton1, kPropDisabled, 1);
        EXPECT_EQ(ChildId(GetFocus()), kB3) << c.name;
        WriteProperty(kMainWindowId, kButton1, kPropDisabled, 0);
    }
}

TEST_F(MainWindowTest, PointerAndPictureValuesAreCopiedAndReplaced) {
    const struct {
        int32_t dimensions, count;
        unsigned char bytes[4];
    } zero = {1, 4, {0, 0, 0, 0}};
    auto write = [](const DimArray* value) {
        WriteProperty(kMainWindowId, kPictureBox1, kPropMousePointer, value);
        WriteProperty(kMainWindowId, kPictureBox1, kPropPicture, value);
    };
    write(nullptr); // the empty value: nothing is held
    const int32_t none = LiveBlockCount();
    for (int round = 0; round < 3; ++round) {
        write(reinterpret_cast<const DimArray*>(&zero));
    }
    // The box holds one copy of each value, whatever was written before.
    EXPECT_EQ(LiveBlockCount(), none + 2);
    write(nullptr);
    EXPECT_EQ(LiveBlockCount(), none);
}

TEST_F(MainWindowTest, TheLabelsFeedbackMessageRaisesItsEvent) {
    Recorded().clear();
    const LRESULT result = SendMessageW(Control(kLabel), 0x8075, 33001, 0);
    EXPECT_EQ(result, 0);
    const std::vector<std::string> expected = {"feedback:" + std::to_string(kLabel1) + ":33001:0"};
    EXPECT_EQ(RecordedLines("feedback"), expected);
}

TEST_F(MainWindowTest, MouseMessagesOfThePictureBoxBecomeItsEvents) {
    Recorded().clear();
    HWND box = Control(kPicture);
    SendMessageW(box, WM_MOUSEMOVE, 0, MAKELPARAM(5, 6));
    // During a capture a move left of the control arrives as a large unsigned x.
    SendMessageW(box, WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(-3), 2));
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    auto line = [](EventKind kind, int x) {
        return "mouse:" + std::to_string(kPictureBox1) + ":" + std::to_string(int(kind)) + ":" +
               std::to_string(x);
    };
    const std::vector<std::string> expected = {
        line(EventKind::MouseMove, 5), line(EventKind::MouseMove, 65533),
        line(EventKind::LeftButtonDown, 1), line(EventKind::LeftButtonUp, 1)};
    EXPECT_EQ(RecordedLines("mouse"), expected);
}

void CALLBACK QuitWatchdog(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(99);
}

// Every way of closing ends the loop with code 0, the will-be-destroyed event
// first and the exit callback once, after it.
TEST_F(MainWindowTest, ClosingEndsTheLoopWithTheEventsInOrder) {
    // The fixture's window is closed by the first case; later cases make their own.
    const struct {
        const char* name;
        void (*close)();
    } cases[] = {
        {"Esc", [] { PressKey(VK_ESCAPE); }},
        {"Alt+F4", [] { PressKey(VK_F4, false, true); }},
        {"close button", [] { PostMessageW(MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    bool first = true;
    for (const auto& c : cases) {
        if (!first) {
            InitGlobals();
            SetExitCallback(ReleaseGlobals);
            LoadWindow(kMainWindowId);
            SetForegroundWindow(MainWindow());
            EXPECT_WITHIN(5000, GetForegroundWindow() == MainWindow() && GetFocus() != nullptr);
        }
        first = false;
        Recorded().clear();
        // A watchdog so that a close that never comes fails instead of hanging.
        const UINT_PTR watchdog = SetTimer(nullptr, 0, 15000, QuitWatchdog);
        c.close();
        RunMessageLoop();
        KillTimer(nullptr, watchdog);
        EXPECT_FALSE(AnyProgramWindow()) << c.name;
        const int32_t code = ShutdownRuntime();
        EXPECT_EQ(code, 0) << c.name;
        std::vector<std::string> lifecycle;
        for (const RecordedEvent& e : Recorded()) {
            if (e.what == "exit-callback" ||
                (e.what == "event" && e.a == static_cast<int32_t>(EventKind::WillBeDestroyed))) {
                lifecycle.push_back(e.what);
            }
        }
        const std::vector<std::string> expected = {"event", "exit-callback"};
        EXPECT_EQ(lifecycle, expected) << c.name;
    }
}

} // namespace
