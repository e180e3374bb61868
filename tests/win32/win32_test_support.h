// Shared helpers of the Win32 tests: the window under test, waiting with a
// deadline, real keyboard input, and a record of the runtime's events.
#pragma once
#include <windows.h>

#include "target/target_system.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

struct RecordedEvent {
    std::string what;
    int32_t recordId, a, b;
};

std::vector<RecordedEvent>& Recorded();
void RecordEvent(const char* what, int32_t recordId, int32_t a, int32_t b);
// "event:<record>:<kind>" style lines for readable comparisons.
std::vector<std::string> RecordedLines(const char* onlyWhat = nullptr);

// Dispatches messages until the condition holds or the deadline passes.
template <class Condition> bool WaitFor(Condition condition, DWORD milliseconds = 5000);
bool WaitForImpl(bool (*condition)(void*), void* context, DWORD milliseconds);

template <class Condition> bool WaitFor(Condition condition, DWORD milliseconds) {
    return WaitForImpl([](void* c) { return (*static_cast<Condition*>(c))(); }, &condition,
                       milliseconds);
}

#define EXPECT_WITHIN(ms, condition)                                                               \
    do {                                                                                           \
        if (!WaitFor([&] { return static_cast<bool>(condition); }, ms)) {                          \
            ADD_FAILURE_AT(__FILE__, __LINE__)                                                     \
                << "still false after " << (ms) << " ms: " #condition;                             \
        }                                                                                          \
    } while (0)

// Real key presses through the system's input path.
void PressKey(WORD key, bool shift = false, bool alt = false);

HWND MainWindow();
HWND Control(int childId);
int ChildId(HWND hwnd);

// A window of this process on a thread of its own that keeps pumping while the
// test's thread waits, as another program's window would: the tool's requests
// to it go to that thread.
class ThreadWindow {
  public:
    ThreadWindow(const wchar_t* title, RECT place);
    ~ThreadWindow();
    ThreadWindow(const ThreadWindow&) = delete;
    ThreadWindow& operator=(const ThreadWindow&) = delete;
    HWND hwnd() const { return hwnd_; }

  private:
    static DWORD WINAPI Run(void* self);
    const wchar_t* title_;
    RECT place_;
    HANDLE ready_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HWND hwnd_ = nullptr;
};

// Opens the tool's window as the program does, and closes it after the test,
// checking that every block and owned handle came back.
class ToolWindowTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    int32_t blocks_ = 0;
    long handles_ = 0;
};
