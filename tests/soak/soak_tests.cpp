// Long use: thousands of hotkey hide and show cycles and drag picks with real
// input through the system, on the tool's own window in this process, so that
// its block and handle counts can be read. Prints the figures as it goes.
//   win32_soak [--cycles=N] [--picks=N] [gtest flags]
#include "tests/win32/win32_test_support.h"

#include "app/globals.h"
#include "app/runtime_win32.h"
#include "ui/handles_win32.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

int g_cycles = 10000;
int g_picks = 1000;

constexpr int kPicture = 100;
constexpr int kEdit = 120;
constexpr RECT kTargetPlace = {40, 40, 280, 200};

struct Figures {
    int32_t blocks;
    long ownedHandles;
    DWORD gdiObjects, userObjects, kernelHandles;
    SIZE_T residentKiB, privateKiB;
};

Figures Measure() {
    Figures f = {};
    f.blocks = LiveBlockCount();
    f.ownedHandles = LiveOwnedHandles();
    HANDLE self = GetCurrentProcess();
    f.gdiObjects = GetGuiResources(self, GR_GDIOBJECTS);
    f.userObjects = GetGuiResources(self, GR_USEROBJECTS);
    GetProcessHandleCount(self, &f.kernelHandles);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(self, &memory, sizeof memory);
    f.residentKiB = memory.WorkingSetSize / 1024;
    f.privateKiB = memory.PagefileUsage / 1024;
    return f;
}

void Print(const char* when, const Figures& f) {
    std::printf("%-28s blocks %d, owned handles %ld, GDI %lu, USER %lu, kernel handles %lu, "
                "resident %lu KiB, private %lu KiB\n",
                when, f.blocks, f.ownedHandles, f.gdiObjects, f.userObjects, f.kernelHandles,
                static_cast<unsigned long>(f.residentKiB),
                static_cast<unsigned long>(f.privateKiB));
    std::fflush(stdout);
}

std::wstring EditText() {
    wchar_t text[300] = {};
    GetWindowTextW(Control(kEdit), text, 300);
    return text;
}

// A point in SendInput's absolute units, over the primary screen.
INPUT MouseAt(int x, int y, DWORD flags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx =
        (x * 65535 + GetSystemMetrics(SM_CXSCREEN) / 2) / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy =
        (y * 65535 + GetSystemMetrics(SM_CYSCREEN) / 2) / (GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return in;
}

// Press on the picture box, move onto the target in steps once the pick holds
// the capture (moves queued before it would go to the window under them), and
// release once the last move has been seen.
bool DragOnto(POINT from, POINT to, const wchar_t* title) {
    INPUT press[2] = {MouseAt(from.x, from.y, 0), MouseAt(from.x, from.y, MOUSEEVENTF_LEFTDOWN)};
    SendInput(2, press, sizeof(INPUT));
    const bool started = WaitFor([] { return PickActive == 1 && GetCapture() != nullptr; }, 5000);
    constexpr int kSteps = 6;
    INPUT moves[kSteps];
    for (int k = 1; k <= kSteps; ++k) {
        moves[k - 1] = MouseAt(from.x + (to.x - from.x) * k / kSteps,
                               from.y + (to.y - from.y) * k / kSteps, 0);
    }
    SendInput(kSteps, moves, sizeof(INPUT));
    const bool over = WaitFor([&] { return EditText() == title; }, 5000);
    INPUT up = MouseAt(to.x, to.y, MOUSEEVENTF_LEFTUP);
    SendInput(1, &up, sizeof(INPUT));
    const bool released = WaitFor([] { return PickActive == 0; }, 5000);
    EXPECT_TRUE(started) << "the press on the picture box started no pick";
    EXPECT_TRUE(over) << "the moves never showed the target's title";
    EXPECT_TRUE(released) << "the release did not end the pick";
    return started && over && released;
}

// Another thread asks the tool's window, with a timeout, while this one pumps.
DWORD WINAPI AskTheTool(void* answered) {
    DWORD_PTR result = 0;
    *static_cast<LONG*>(answered) =
        SendMessageTimeoutW(MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0 ? 1 : 2;
    return 0;
}

bool ToolAnswers() {
    LONG answered = 0;
    HANDLE asker = CreateThread(nullptr, 0, AskTheTool, &answered, 0, nullptr);
    WaitFor([&] { return answered != 0; }, 10000);
    WaitForSingleObject(asker, 10000);
    CloseHandle(asker);
    return answered == 1;
}

class SoakTest : public ToolWindowTest {};

TEST_F(SoakTest, HotkeyCyclesAndPicksLeaveNothingBehind) {
    ThreadWindow target(L"soak target", kTargetPlace);
    HWND t = target.hwnd();
    ASSERT_NE(t, nullptr);
    RECT box;
    GetWindowRect(Control(kPicture), &box);
    const POINT from = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    const POINT onto = {(kTargetPlace.left + kTargetPlace.right) / 2,
                        (kTargetPlace.top + kTargetPlace.bottom) / 2 + 10};
    auto pick = [&](int k) {
        SetWindowTextW(Control(kEdit), L"");
        // Presses a few pixels apart: two quick presses on one spot are a double
        // click, which starts no pick.
        const POINT press = {from.x + (k % 2 == 0 ? -6 : 6), from.y};
        const bool done = DragOnto(press, onto, L"soak target");
        EXPECT_TRUE(done) << "pick " << k << ": PickActive " << PickActive << ", edit has "
                          << EditText().size() << " characters";
        return done;
    };
    auto cycle = [&](int k) {
        PressKey(VK_F1);
        const bool hidden = WaitFor([&] { return !IsWindowVisible(t); }, 5000);
        EXPECT_TRUE(hidden) << "cycle " << k << ": F1 left the target visible";
        PressKey(VK_F2);
        const bool shown = WaitFor([&] { return IsWindowVisible(t) != 0; }, 5000);
        EXPECT_TRUE(shown) << "cycle " << k << ": F2 left the target hidden";
        return hidden && shown;
    };

    // Warm up: the first pick and cycles make what is made once.
    ASSERT_TRUE(pick(0));
    for (int k = 0; k < 20; ++k) {
        ASSERT_TRUE(cycle(k));
    }
    const Figures before = Measure();
    Print("after the warm-up", before);
    // Runs `step` count times, stopping at the first failure, with figures at each fifth.
    auto repeat = [](const char* what, int count, auto step) {
        const DWORD began = GetTickCount();
        const int every = count / 5 > 0 ? count / 5 : 1;
        for (int k = 1; k <= count; ++k) {
            if (!step(k)) {
                break;
            }
            if (k % every == 0) {
                char when[64];
                std::snprintf(when, sizeof when, "after %d %s", k, what);
                Print(when, Measure());
            }
        }
        std::printf("%d %s took %lu ms\n", count, what, GetTickCount() - began);
    };
    repeat("cycles", g_cycles, cycle);
    repeat("picks", g_picks, pick);

    const Figures after = Measure();
    Print("at the end", after);
    EXPECT_EQ(after.blocks, before.blocks) << "blocks grew";
    EXPECT_EQ(after.ownedHandles, before.ownedHandles) << "owned handles grew";
    // Counts the system keeps (Wine reports 0 for these: then there is nothing to compare).
    const struct {
        const char* what;
        DWORD before, after;
    } systemCounts[] = {
        {"GDI objects", before.gdiObjects, after.gdiObjects},
        {"USER objects", before.userObjects, after.userObjects},
        {"kernel handles", before.kernelHandles, after.kernelHandles},
    };
    for (const auto& c : systemCounts) {
        if (c.before == 0 && c.after == 0) {
            std::printf("%s: not counted by this system\n", c.what);
            continue;
        }
        EXPECT_EQ(c.after, c.before) << c.what << " went from " << c.before << " to " << c.after;
    }
    EXPECT_TRUE(ToolAnswers()) << "the tool's window does not answer";
    RECT now;
    GetWindowRect(t, &now);
    EXPECT_TRUE(IsWindowVisible(t)) << "the target ended hidden";
    EXPECT_TRUE(EqualRect(&now, &kTargetPlace)) << "the target ended at " << now.left << ","
                                                << now.top << "," << now.right << "," << now.bottom;
}

bool ReadCount(const wchar_t* arg, const wchar_t* name, int* value) {
    const size_t n = std::wcslen(name);
    if (std::wcsncmp(arg, name, n) != 0) {
        return false;
    }
    *value = static_cast<int>(std::wcstol(arg + n, nullptr, 10));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // The counts come from the wide command line: char arguments are in the ANSI code page.
    int wargc = 0;
    wchar_t** wargv = CommandLineToArgvW(GetCommandLineW(), &wargc);
    for (int k = 1; k < wargc; ++k) {
        ReadCount(wargv[k], L"--cycles=", &g_cycles) || ReadCount(wargv[k], L"--picks=", &g_picks);
    }
    LocalFree(wargv);
    std::printf("soak: %d hotkey cycles, %d picks\n", g_cycles, g_picks);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
