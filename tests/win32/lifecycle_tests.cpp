// The fatal end: one error box, then exit code -1 with no clean-up handlers.
#include "tests/win32/win32_test_support.h"

#include "app/dim_array.h"
#include "app/globals.h"
#include "app/runtime.h"
#include "app/runtime_win32.h"
#include "ui/window_definition.h"
#include "ui/window_layer_win32.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

wchar_t g_logPath[MAX_PATH];

void LogToFile(const char* what, int32_t recordId, int32_t a, int32_t b) {
    FILE* f = _wfopen(g_logPath, L"a");
    if (f != nullptr) {
        std::fprintf(f, "%s %d %d %d\n", what, static_cast<int>(recordId), static_cast<int>(a),
                     static_cast<int>(b));
        std::fclose(f);
    }
}

// Closes the error box as a user would, once it is up.
DWORD WINAPI CloseErrorBox(void*) {
    for (int tries = 0; tries < 600; ++tries) {
        HWND box = FindWindowW(L"#32770", L"窗口隐藏工具");
        if (box != nullptr) {
            LogToFile("error-box", 0, 0, 0);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        Sleep(50);
    }
    return 1;
}

void ReadPastTheEndWithTheWindowOpen() {
    SetRuntimeObserver(LogToFile);
    InitRuntime();
    InitGlobals();
    SetExitCallback(ReleaseGlobals);
    LoadWindow(kMainWindowId);
    CreateThread(nullptr, 0, CloseErrorBox, nullptr, 0, nullptr);
    Element<Text>(TargetHandleText, 3); // two elements only
    LogToFile("returned", 0, 0, 0);
    std::exit(3);
}

TEST(FatalErrorDeathTest, IndexPastTheEndShowsTheBoxAndEndsWithMinusOne) {
    GetTempPathW(MAX_PATH, g_logPath);
    lstrcatW(g_logPath, L"wh-fatal-log.txt");
    DeleteFileW(g_logPath);
    EXPECT_EXIT(ReadPastTheEndWithTheWindowOpen(), ::testing::ExitedWithCode(-1), "");
    std::ifstream in(g_logPath);
    std::stringstream all;
    all << in.rdbuf();
    const std::string log = all.str();
    std::printf("child's log:\n%s", log.c_str());
    EXPECT_NE(log.find("event 100728832 0 0"), std::string::npos) << "the window was created";
    EXPECT_NE(log.find("runtime-error 0 1 0"), std::string::npos) << "error 1 was reported";
    EXPECT_NE(log.find("error-box"), std::string::npos) << "the error box was shown";
    const std::string destroyed =
        "event 100728832 " + std::to_string(int(EventKind::WillBeDestroyed));
    EXPECT_EQ(log.find(destroyed), std::string::npos) << "no will-be-destroyed handler";
    EXPECT_EQ(log.find("exit-callback"), std::string::npos) << "ReleaseGlobals did not run";
    EXPECT_EQ(log.find("returned"), std::string::npos) << "control came back";
    DeleteFileW(g_logPath);
}

} // namespace
