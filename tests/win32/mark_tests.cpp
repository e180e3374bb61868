// The marks on hidden windows, and showing again at start the windows of runs
// that have ended, while the windows of runs still going stay hidden.
#include "tests/win32/win32_test_support.h"

#include "target/target_system.h"

#include <cstdint>
#include <string>

namespace {

constexpr wchar_t kMarkProcess[] = L"WindowHider.HiddenBy.Process";
constexpr wchar_t kMarkStart[] = L"WindowHider.HiddenBy.Start";

WindowHandle Handle(HWND hwnd) {
    return static_cast<WindowHandle>(reinterpret_cast<uintptr_t>(hwnd));
}

DWORD Prop(HWND hwnd, const wchar_t* name) {
    return static_cast<DWORD>(reinterpret_cast<uintptr_t>(GetPropW(hwnd, name)));
}

void SetMark(HWND hwnd, DWORD process, DWORD start) {
    SetPropW(hwnd, kMarkProcess, reinterpret_cast<HANDLE>(uintptr_t{process}));
    SetPropW(hwnd, kMarkStart, reinterpret_cast<HANDLE>(uintptr_t{start}));
}

DWORD StartOf(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return 0;
    }
    return static_cast<DWORD>(
        ((static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime) / 10000);
}

// Another process that stays alive (suspended) until it is ended.
class OtherProcess {
  public:
    OtherProcess() {
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring command = L"\"" + std::wstring(path) + L"\" --gtest_list_tests";
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        started_ = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                                  nullptr, nullptr, &si, &info_) != 0;
        if (started_) {
            CloseHandle(info_.hThread);
        }
    }
    ~OtherProcess() {
        End();
        Release();
    }
    OtherProcess(const OtherProcess&) = delete;
    OtherProcess& operator=(const OtherProcess&) = delete;
    bool started() const { return started_; }
    DWORD id() const { return info_.dwProcessId; }
    DWORD start() const { return StartOf(info_.hProcess); }
    void End() {
        if (started_ && info_.hProcess != nullptr) {
            TerminateProcess(info_.hProcess, 0);
            WaitForSingleObject(info_.hProcess, 10000);
        }
    }
    // With no handle left, the process id names nothing.
    void Release() {
        if (info_.hProcess != nullptr) {
            CloseHandle(info_.hProcess);
            info_.hProcess = nullptr;
        }
    }

  private:
    bool started_ = false;
    PROCESS_INFORMATION info_ = {};
};

class MarkTest : public ::testing::Test {
  protected:
    void TearDown() override {
        for (HWND w : windows_) {
            RemovePropW(w, kMarkProcess);
            RemovePropW(w, kMarkStart);
            DestroyWindow(w);
        }
    }
    HWND HiddenWindow(HWND parent = nullptr) {
        HWND w = CreateWindowExW(0, L"STATIC", L"marked", parent ? WS_CHILD : WS_OVERLAPPED, 10, 10,
                                 60, 40, parent, nullptr, nullptr, nullptr);
        windows_.push_back(w);
        return w;
    }
    std::vector<HWND> windows_;
};

TEST_F(MarkTest, AMarkNamesThisRunAndGoesWithTheShow) {
    HWND w = HiddenWindow();
    SysMarkHidden(Handle(w));
    const DWORD process = Prop(w, kMarkProcess);
    const DWORD start = Prop(w, kMarkStart);
    EXPECT_EQ(process, GetCurrentProcessId()) << "process in the mark: " << process;
    EXPECT_EQ(start, StartOf(GetCurrentProcess())) << "start in the mark: " << start;
    SysUnmarkHidden(Handle(w));
    EXPECT_EQ(GetPropW(w, kMarkProcess), nullptr) << "process mark still there";
    EXPECT_EQ(GetPropW(w, kMarkStart), nullptr) << "start mark still there";
}

TEST_F(MarkTest, TheStartShowsOnlyTheWindowsOfRunsThatHaveEnded) {
    OtherProcess running, endedHeld, endedGone;
    ASSERT_TRUE(running.started() && endedHeld.started() && endedGone.started());
    ASSERT_NE(running.start(), 0u) << "no start time for another process";
    const DWORD endedHeldStart = endedHeld.start();
    const DWORD endedGoneStart = endedGone.start();
    endedHeld.End();
    endedGone.End();
    endedGone.Release();
    HWND parent = CreateWindowExW(0, L"STATIC", L"parent", WS_OVERLAPPED | WS_VISIBLE, 300, 10, 120,
                                  80, nullptr, nullptr, nullptr, nullptr);
    windows_.push_back(parent);
    const DWORD self = GetCurrentProcessId();
    const DWORD selfStart = StartOf(GetCurrentProcess());
    const struct {
        const char* mark;
        HWND window;
        DWORD process, start;
        bool marked, shown;
    } cases[] = {
        {"a run still going", HiddenWindow(), running.id(), running.start(), true, false},
        {"this run", HiddenWindow(), self, selfStart, true, false},
        {"an ended run, its process still held", HiddenWindow(), endedHeld.id(), endedHeldStart,
         true, true},
        {"an ended run, its process gone", HiddenWindow(), endedGone.id(), endedGoneStart, true,
         true},
        {"an earlier process with the id reused", HiddenWindow(), running.id(),
         running.start() - 1000, true, true},
        {"an earlier process with this process's id", HiddenWindow(), self, selfStart + 1, true,
         true},
        {"a child of a visible window, its run ended", HiddenWindow(parent), endedGone.id(),
         endedGoneStart, true, true},
        {"no mark", HiddenWindow(), 0, 0, false, false},
    };
    for (const auto& c : cases) {
        if (c.marked) {
            SetMark(c.window, c.process, c.start);
        }
    }
    SysShowWindowsOfEndedRuns();
    for (const auto& c : cases) {
        const bool shown = (GetWindowLongW(c.window, GWL_STYLE) & WS_VISIBLE) != 0;
        const bool stillMarked = GetPropW(c.window, kMarkProcess) != nullptr;
        EXPECT_EQ(shown, c.shown) << c.mark << ": shown " << shown;
        EXPECT_EQ(stillMarked, c.marked && !c.shown) << c.mark << ": still marked " << stillMarked;
    }
}

} // namespace
