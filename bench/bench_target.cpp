// The window the benchmark hides and shows:
//   wh_bench_target <x> <y> <w> <h> <title>
// Prints "window=<decimal hwnd>", then "hidden" or "shown" the moment its own
// thread sees its visibility change, so the reader can time a key press to it.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kClass[] = L"WhBenchTarget";

void Out(const std::string& line) {
    const std::string s = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), s.data(), static_cast<DWORD>(s.size()), &written,
              nullptr);
}

void OnPosChanged(HWND hwnd, const WINDOWPOS* pos) {
    if ((pos->flags & (SWP_HIDEWINDOW | SWP_SHOWWINDOW)) != 0) {
        Out(IsWindowVisible(hwnd) ? "shown" : "hidden");
    }
}

LRESULT CALLBACK TargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_WINDOWPOSCHANGED:
        OnPosChanged(hwnd, reinterpret_cast<const WINDOWPOS*>(lParam));
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int Number(const wchar_t* text) {
    return static_cast<int>(std::wcstol(text, nullptr, 10));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) {
        return 2;
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
    HWND hwnd =
        CreateWindowExW(0, kClass, argv[5], WS_OVERLAPPEDWINDOW, Number(argv[1]), Number(argv[2]),
                        Number(argv[3]), Number(argv[4]), nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) {
        return 1;
    }
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);
    Out("window=" + std::to_string(reinterpret_cast<UINT_PTR>(hwnd)));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}
