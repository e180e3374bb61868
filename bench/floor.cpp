// The least Win32 program that does the tool's work, as the benchmark's floor:
// a topmost window of the tool's size, F1/F2/F3 as system-wide hotkeys, and a
// drag that takes the window under the pointer as the target.
//   wh_floor [decimal hwnd of a first target]
// Two messages of its own let the benchmark check a run: WM_APP+1 gives the
// number of moves the last drag saw, WM_APP+2 the target's handle.
#include <windows.h>

namespace {

constexpr wchar_t kClass[] = L"WhFloorMain";
constexpr wchar_t kCaption[] = L"窗口隐藏工具";
constexpr int kWidth = 254;
constexpr int kHeight = 134;
constexpr UINT kAskMoves = WM_APP + 1;
constexpr UINT kAskTarget = WM_APP + 2;
#ifndef MOD_NOREPEAT
constexpr UINT MOD_NOREPEAT = 0x4000;
#endif

HWND g_target = nullptr;
bool g_dragging = false;
LONG g_moves = 0;

void Register(HWND hwnd, int id, UINT vk) {
    // Systems before Windows 7 refuse MOD_NOREPEAT.
    if (!RegisterHotKey(hwnd, id, MOD_NOREPEAT, vk)) {
        RegisterHotKey(hwnd, id, 0, vk);
    }
}

void PlaceTarget(UINT flag) {
    RECT r;
    GetWindowRect(g_target, &r);
    SetWindowPos(g_target, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, flag);
}

void OnHotkey(HWND hwnd, WPARAM id) {
    switch (id) {
    case 33001:
        PlaceTarget(SWP_HIDEWINDOW);
        break;
    case 33002:
        PlaceTarget(SWP_SHOWWINDOW);
        break;
    case 33003:
        ShowWindow(hwnd, IsWindowVisible(hwnd) ? SW_HIDE : SW_SHOW);
        break;
    default:
        break;
    }
}

void OnMove() {
    if (!g_dragging) {
        return;
    }
    POINT p;
    GetCursorPos(&p);
    g_target = WindowFromPoint(p);
    char title[256];
    GetWindowTextA(g_target, title, sizeof title);
    ++g_moves;
}

LRESULT CALLBACK FloorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_HOTKEY:
        OnHotkey(hwnd, wParam);
        return 0;
    case WM_LBUTTONDOWN:
        g_dragging = true;
        g_moves = 0;
        SetCapture(hwnd);
        return 0;
    case WM_MOUSEMOVE:
        OnMove();
        return 0;
    case WM_LBUTTONUP:
        g_dragging = false;
        ReleaseCapture();
        return 0;
    case kAskMoves:
        return g_moves;
    case kAskTarget:
        return reinterpret_cast<LRESULT>(g_target);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

HWND HandleFromText(const char* text) {
    UINT_PTR value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + static_cast<UINT_PTR>(*text - '0');
    }
    return reinterpret_cast<HWND>(value);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    g_target = HandleFromText(commandLine);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FloorProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    const int left = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    HWND hwnd =
        CreateWindowExW(WS_EX_TOPMOST, kClass, kCaption, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                        left, top, kWidth, kHeight, nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) {
        return 1;
    }
    Register(hwnd, 33001, VK_F1);
    Register(hwnd, 33002, VK_F2);
    Register(hwnd, 33003, VK_F3);
    ShowWindow(hwnd, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}
