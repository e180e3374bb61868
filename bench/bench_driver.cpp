// The benchmark's hands inside Wine: one long-lived process that reads commands
// on stdin, one per line, and answers each with one line on stdout.
//   start <class> <command line>  start a program, time it until its window of
//                                 that class is visible with a caption
//   close                         WM_CLOSE to that window, wait for the exit
//   cycles <n>                    n hide and show cycles: WM_HOTKEY 33001, 33002
//   source                        the screen point where a drag starts
//   target                        the title of the window the program picked
//   moves                         the moves the floor's last drag saw
//   quit
// Times come from QueryPerformanceCounter, in microseconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kStartDeadlineMs = 60000;
constexpr DWORD kExitDeadlineMs = 30000;
constexpr UINT kSendTimeoutMs = 10000;
constexpr int kPictureId = 100;
constexpr int kEditId = 120;
// The tool's picture box lies at (207, 3) in its client area, 32 x 32.
constexpr POINT kSourceInClient = {207 + 16, 3 + 16};

HANDLE g_process = nullptr;
HWND g_window = nullptr;
LARGE_INTEGER g_frequency;

void Out(const std::string& line) {
    const std::string s = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), s.data(), static_cast<DWORD>(s.size()), &written,
              nullptr);
}

long long Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

long long Micros(long long from, long long to) {
    return (to - from) * 1000000 / g_frequency.QuadPart;
}

std::wstring Wide(const std::string& s) {
    std::wstring w(s.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, &w[0], static_cast<int>(w.size()));
    w.resize(n > 0 ? n - 1 : 0);
    return w;
}

std::string Utf8(const wchar_t* w) {
    char buffer[1024];
    const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, buffer, sizeof buffer, nullptr, nullptr);
    return n > 0 ? std::string(buffer, n - 1) : std::string();
}

bool ReadLine(std::string* line) {
    static std::string pending;
    for (;;) {
        const size_t end = pending.find('\n');
        if (end != std::string::npos) {
            *line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line->empty() && line->back() == '\r') {
                line->pop_back();
            }
            return true;
        }
        char chunk[512];
        DWORD got = 0;
        if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), chunk, sizeof chunk, &got, nullptr) ||
            got == 0) {
            return false;
        }
        pending.append(chunk, got);
    }
}

// The program's visible top-level window of that class with a caption, if any.
HWND ShownWindow(const wchar_t* cls, DWORD pid) {
    for (HWND w = FindWindowExW(nullptr, nullptr, cls, nullptr); w != nullptr;
         w = FindWindowExW(nullptr, w, cls, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w) && GetWindowTextLengthW(w) > 0) {
            return w;
        }
    }
    return nullptr;
}

void Start(const std::string& args) {
    const size_t space = args.find(' ');
    if (g_process != nullptr || space == std::string::npos) {
        Out("error start: a program runs already, or no command line");
        return;
    }
    const std::wstring cls = Wide(args.substr(0, space));
    std::wstring command = Wide(args.substr(space + 1));
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const long long t0 = Now();
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        Out("error start: CreateProcess " + std::to_string(GetLastError()));
        return;
    }
    CloseHandle(pi.hThread);
    g_process = pi.hProcess;
    // Polled every millisecond or so: the figure is good to about that.
    for (;;) {
        HWND w = ShownWindow(cls.c_str(), pi.dwProcessId);
        const long long t = Now();
        if (w != nullptr) {
            g_window = w;
            char line[160];
            std::snprintf(line, sizeof line, "started us=%lld pid=%lu hwnd=%lu", Micros(t0, t),
                          pi.dwProcessId,
                          static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(w)));
            Out(line);
            return;
        }
        if (Micros(t0, t) > kStartDeadlineMs * 1000LL ||
            WaitForSingleObject(g_process, 0) == WAIT_OBJECT_0) {
            Out("error start: no visible window with a caption");
            TerminateProcess(g_process, 1);
            CloseHandle(g_process);
            g_process = nullptr;
            return;
        }
        Sleep(1);
    }
}

void Close() {
    if (g_process == nullptr) {
        Out("error close: nothing runs");
        return;
    }
    const long long t0 = Now();
    PostMessageW(g_window, WM_CLOSE, 0, 0);
    const bool ended = WaitForSingleObject(g_process, kExitDeadlineMs) == WAIT_OBJECT_0;
    const long long t = Now();
    DWORD code = 0;
    GetExitCodeProcess(g_process, &code);
    if (!ended) {
        TerminateProcess(g_process, 1);
        WaitForSingleObject(g_process, kExitDeadlineMs);
    }
    CloseHandle(g_process);
    g_process = nullptr;
    g_window = nullptr;
    char line[96];
    std::snprintf(line, sizeof line, "%s us=%lld code=%lu",
                  ended ? "closed" : "error close:", Micros(t0, t), code);
    Out(line);
}

bool Send(UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    return SendMessageTimeoutW(g_window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs,
                               result) != 0;
}

void Cycles(long n) {
    const long long t0 = Now();
    for (long k = 0; k < n; ++k) {
        DWORD_PTR result = 0;
        if (!Send(WM_HOTKEY, 33001, MAKELPARAM(0, VK_F1), &result) ||
            !Send(WM_HOTKEY, 33002, MAKELPARAM(0, VK_F2), &result)) {
            Out("error cycles: no answer at cycle " + std::to_string(k));
            return;
        }
    }
    Out("cycled n=" + std::to_string(n) + " us=" + std::to_string(Micros(t0, Now())));
}

void Source() {
    RECT r;
    POINT p = kSourceInClient;
    HWND picture = GetDlgItem(g_window, kPictureId);
    if (picture != nullptr && GetWindowRect(picture, &r)) {
        p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    } else {
        ClientToScreen(g_window, &p);
    }
    Out("source x=" + std::to_string(p.x) + " y=" + std::to_string(p.y));
}

void Target() {
    wchar_t title[512] = L"";
    HWND edit = GetDlgItem(g_window, kEditId);
    if (edit != nullptr) {
        GetWindowTextW(edit, title, 512);
    } else {
        DWORD_PTR target = 0;
        Send(WM_APP + 2, 0, 0, &target);
        GetWindowTextW(reinterpret_cast<HWND>(target), title, 512);
    }
    Out("target title=" + Utf8(title));
}

void Moves() {
    DWORD_PTR moves = 0;
    const bool answered = Send(WM_APP + 1, 0, 0, &moves);
    Out(answered ? "moves n=" + std::to_string(moves) : std::string("error moves: no answer"));
}

} // namespace

int wmain() {
    QueryPerformanceFrequency(&g_frequency);
    Out("ready");
    std::string line;
    while (ReadLine(&line)) {
        const size_t space = line.find(' ');
        const std::string command = line.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
        if (command == "start") {
            Start(rest);
        } else if (command == "close") {
            Close();
        } else if (command == "cycles") {
            Cycles(std::strtol(rest.c_str(), nullptr, 10));
        } else if (command == "source" && g_window != nullptr) {
            Source();
        } else if (command == "target" && g_window != nullptr) {
            Target();
        } else if (command == "moves" && g_window != nullptr) {
            Moves();
        } else if (command == "quit") {
            Out("bye");
            return 0;
        } else {
            Out("error unknown or untimely command: " + command);
        }
    }
    return 0;
}
