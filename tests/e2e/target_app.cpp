// A window of another process for the tool to pick, hide and show:
//   wh_target_app <x> <y> <w> <h> <title> [--ansi-hex <hex>] [--child-button <text>]
// <title> is Unicode (CreateWindowExW); --ansi-hex sets the title afterwards from exact ANSI
// bytes with SetWindowTextA. --child-button adds a BUTTON over the lower half of the client area.
// Prints "window=<decimal hwnd>" and, with a button, "button=<decimal hwnd>", then pumps
// messages until its window is closed. Exit code 2 on bad usage, 1 if a window cannot be made.
// A posted WM_APP+1 makes it stop taking messages, as a hung program does, until the named
// event "WhTargetAppWake" is set (wh_poke hang / wake).
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kClass[] = L"WhTargetApp";
constexpr UINT kHang = WM_APP + 1;
constexpr DWORD kLongestHangMs = 120000;

LRESULT CALLBACK TargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kHang) {
        HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, L"WhTargetAppWake");
        WaitForSingleObject(wake, kLongestHangMs);
        CloseHandle(wake);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Out(const std::string& line) {
    std::string s = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), s.data(), static_cast<DWORD>(s.size()), &written,
              nullptr);
}

std::string Decimal(HWND hwnd) {
    return std::to_string(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hwnd)));
}

bool ParseInt(const wchar_t* text, int* value) {
    wchar_t* end = nullptr;
    const long n = std::wcstol(text, &end, 10);
    *value = static_cast<int>(n);
    return end != text && *end == 0;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    return -1;
}

bool ParseHex(const wchar_t* text, std::string* bytes) {
    const size_t n = std::wcslen(text);
    if (n % 2 != 0) {
        return false;
    }
    for (size_t k = 0; k < n; k += 2) {
        const int high = HexDigit(text[k]);
        const int low = HexDigit(text[k + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        *bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    if (argc < 6 || !ParseInt(argv[1], &x) || !ParseInt(argv[2], &y) || !ParseInt(argv[3], &w) ||
        !ParseInt(argv[4], &h)) {
        return 2;
    }
    const wchar_t* title = argv[5];
    std::string ansi;
    bool useAnsi = false;
    const wchar_t* buttonText = nullptr;
    for (int k = 6; k < argc; ++k) {
        if (std::wcscmp(argv[k], L"--ansi-hex") == 0 && k + 1 < argc) {
            if (!ParseHex(argv[++k], &ansi)) {
                return 2;
            }
            useAnsi = true;
        } else if (std::wcscmp(argv[k], L"--child-button") == 0 && k + 1 < argc) {
            buttonText = argv[++k];
        } else {
            return 2;
        }
    }

    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClass;
    if (!RegisterClassW(&wc)) {
        return 1;
    }
    HWND hwnd = CreateWindowExW(0, kClass, title, WS_OVERLAPPEDWINDOW, x, y, w, h, nullptr, nullptr,
                                instance, nullptr);
    if (hwnd == nullptr) {
        return 1;
    }
    if (useAnsi) {
        SetWindowTextA(hwnd, ansi.c_str());
    }
    HWND button = nullptr;
    if (buttonText != nullptr) {
        RECT client;
        GetClientRect(hwnd, &client);
        const int half = client.bottom / 2;
        button = CreateWindowExW(0, L"BUTTON", buttonText, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0,
                                 half, client.right, client.bottom - half, hwnd, nullptr, instance,
                                 nullptr);
        if (button == nullptr) {
            return 1;
        }
    }
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);
    Out("window=" + Decimal(hwnd));
    if (button != nullptr) {
        Out("button=" + Decimal(button));
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
