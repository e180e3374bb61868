// Looks at the running tool from outside and prints what it finds as key=value lines (UTF-8).
//   wh_probe window                 the main window
//   wh_probe controls               one line per child, in Z-order, fields separated by tabs
//   wh_probe focus                  the focus of the tool's GUI thread, and the foreground window
//   wh_probe close-button           a screen point of the caption's close button, by hit test
//   wh_probe colours                system colours the tool paints with, as r,g,b
//   wh_probe wait-window <seconds>  exit 0 once the main window exists and is visible, else 1
//   wh_probe wait-gone <seconds>    exit 0 once there is no main window, else 1
//   wh_probe capture                the mouse capture of the tool's GUI thread
//   wh_probe win <decimal hwnd>     any window: whether it exists, is visible, its rect and title
//   wh_probe msgbox                 the tool's message box (#32770), and whether the tool is
//   topmost wh_probe close <decimal hwnd>   posts WM_CLOSE to a window wh_probe tools every main
//   window of the tool, by handle and process id
// Exit code 1 also when there is no main window (or no close button); 2 on bad usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kMainClass[] = L"WindowHiderMain";

void Out(const std::string& line) {
    std::string s = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), s.data(), static_cast<DWORD>(s.size()), &written,
              nullptr);
}

// Tabs and line ends are escaped so that one value never breaks a line or a field.
std::string Utf8(const wchar_t* text) {
    std::wstring escaped;
    for (const wchar_t* p = text; *p != 0; ++p) {
        switch (*p) {
        case L'\\':
            escaped += L"\\\\";
            break;
        case L'\t':
            escaped += L"\\t";
            break;
        case L'\n':
            escaped += L"\\n";
            break;
        case L'\r':
            escaped += L"\\r";
            break;
        default:
            escaped += *p;
            break;
        }
    }
    const int wide = static_cast<int>(escaped.size());
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, escaped.c_str(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0) {
        WideCharToMultiByte(CP_UTF8, 0, escaped.c_str(), wide, &out[0], n, nullptr, nullptr);
    }
    return out;
}

std::string Hex(unsigned long value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lx", value);
    return buffer;
}

std::string Handle(HWND hwnd) {
    return Hex(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hwnd)));
}

std::string Rect(const RECT& r) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
    return buffer;
}

std::string Size(const RECT& r) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%ldx%ld", r.right - r.left, r.bottom - r.top);
    return buffer;
}

std::string Caption(HWND hwnd) {
    wchar_t text[512] = L"";
    GetWindowTextW(hwnd, text, 512);
    return Utf8(text);
}

std::string ClassOf(HWND hwnd) {
    wchar_t name[256] = L"";
    GetClassNameW(hwnd, name, 256);
    return Utf8(name);
}

HWND MainWindow() {
    return FindWindowW(kMainClass, nullptr);
}

int ShowWindowFacts() {
    HWND hwnd = MainWindow();
    Out(std::string("exists=") + (hwnd != nullptr ? "1" : "0"));
    if (hwnd == nullptr) {
        return 1;
    }
    RECT outer;
    RECT client;
    GetWindowRect(hwnd, &outer);
    GetClientRect(hwnd, &client);
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    const LONG exstyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
    Out("hwnd=" + Handle(hwnd));
    Out("rect=" + Rect(outer));
    Out("size=" + Size(outer));
    Out("client=" + Size(client));
    Out("client_origin=" + std::to_string(origin.x) + "," + std::to_string(origin.y));
    Out("style=" + Hex(static_cast<unsigned long>(GetWindowLongW(hwnd, GWL_STYLE))));
    Out("exstyle=" + Hex(static_cast<unsigned long>(exstyle)));
    Out(std::string("topmost=") + ((exstyle & WS_EX_TOPMOST) != 0 ? "1" : "0"));
    Out(std::string("visible=") + (IsWindowVisible(hwnd) ? "1" : "0"));
    Out("owner=" + Handle(GetWindow(hwnd, GW_OWNER)));
    Out("caption=" + Caption(hwnd));
    // The window's thread answers a message: it neither hangs nor crashed.
    DWORD_PTR result = 0;
    const bool answers =
        SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
    Out(std::string("responding=") + (answers ? "1" : "0"));
    return 0;
}

int ShowControls() {
    HWND hwnd = MainWindow();
    if (hwnd == nullptr) {
        Out("exists=0");
        return 1;
    }
    int index = 0;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT), ++index) {
        RECT outer;
        RECT client;
        GetWindowRect(child, &outer);
        GetClientRect(child, &client);
        Out("z=" + std::to_string(index) + "\tid=" + std::to_string(GetDlgCtrlID(child)) +
            "\tclass=" + ClassOf(child) +
            "\tstyle=" + Hex(static_cast<unsigned long>(GetWindowLongW(child, GWL_STYLE))) +
            "\trect=" + Rect(outer) + "\tclient=" + Size(client) +
            "\tenabled=" + (IsWindowEnabled(child) ? "1" : "0") +
            "\tvisible=" + (IsWindowVisible(child) ? "1" : "0") + "\tcaption=" + Caption(child));
    }
    Out("count=" + std::to_string(index));
    return 0;
}

// The main window and what its GUI thread holds (focus, active window, capture).
bool ToolThreadInfo(HWND* hwnd, GUITHREADINFO* info) {
    *hwnd = MainWindow();
    if (*hwnd == nullptr) {
        Out("exists=0");
        return false;
    }
    std::memset(info, 0, sizeof *info);
    info->cbSize = sizeof *info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(*hwnd, nullptr), info)) {
        Out("error=GetGUIThreadInfo " + std::to_string(GetLastError()));
        return false;
    }
    return true;
}

int ShowFocus() {
    HWND hwnd = nullptr;
    GUITHREADINFO info;
    if (!ToolThreadInfo(&hwnd, &info)) {
        return 1;
    }
    HWND focus = info.hwndFocus;
    const bool inTool = focus != nullptr && (focus == hwnd || IsChild(hwnd, focus));
    Out("focus=" + Handle(focus));
    Out("focus_id=" + std::to_string(inTool && focus != hwnd ? GetDlgCtrlID(focus) : -1));
    Out("focus_class=" + (focus != nullptr ? ClassOf(focus) : std::string()));
    Out("focus_caption=" + (focus != nullptr ? Caption(focus) : std::string()));
    Out(std::string("focus_in_tool=") + (inTool ? "1" : "0"));
    Out(std::string("active_is_tool=") + (info.hwndActive == hwnd ? "1" : "0"));
    HWND foreground = GetForegroundWindow();
    Out("foreground=" + Handle(foreground));
    Out("foreground_class=" + (foreground != nullptr ? ClassOf(foreground) : std::string()));
    RECT rect = {0, 0, 0, 0};
    if (foreground != nullptr) {
        GetWindowRect(foreground, &rect);
    }
    Out("foreground_rect=" + Rect(rect));
    Out(std::string("foreground_is_tool=") + (foreground == hwnd ? "1" : "0"));
    return 0;
}

// Asks the window itself, so the point follows its frame and caption metrics.
int ShowCloseButton() {
    HWND hwnd = MainWindow();
    if (hwnd == nullptr) {
        Out("exists=0");
        return 1;
    }
    RECT outer;
    GetWindowRect(hwnd, &outer);
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    const int y = (outer.top + origin.y) / 2; // the caption's middle line
    int first = -1;
    int last = -1;
    for (int x = outer.right - 1; x >= outer.left; --x) {
        DWORD_PTR hit = 0;
        if (!SendMessageTimeoutW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000,
                                 &hit)) {
            Out("error=WM_NCHITTEST " + std::to_string(GetLastError()));
            return 1;
        }
        if (hit == HTCLOSE) {
            last = last < 0 ? x : last;
            first = x;
        } else if (last >= 0) {
            break;
        }
    }
    if (last < 0) {
        Out("close_button=none");
        return 1;
    }
    Out("close_button=" + std::to_string((first + last) / 2) + "," + std::to_string(y));
    Out("close_span=" + std::to_string(first) + "-" + std::to_string(last));
    return 0;
}

std::string Rgb(COLORREF c) {
    return std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," +
           std::to_string(GetBValue(c));
}

// The same session's colours, so the expected face and frame follow the prefix's theme.
int ShowColours() {
    const struct {
        const char* name;
        int index;
    } colours[] = {
        {"btnface", COLOR_BTNFACE},
        {"windowframe", COLOR_WINDOWFRAME},
        {"btnshadow", COLOR_BTNSHADOW},
        {"btnhighlight", COLOR_BTNHIGHLIGHT},
        {"activecaption", COLOR_ACTIVECAPTION},
    };
    for (const auto& c : colours) {
        Out(std::string(c.name) + "=" + Rgb(GetSysColor(c.index)));
    }
    return 0;
}

// Polls until the window is there (visible) or gone, up to the deadline.
int WaitFor(bool wantPresent, const wchar_t* secondsText) {
    wchar_t* end = nullptr;
    const double seconds = std::wcstod(secondsText, &end);
    if (end == secondsText || seconds < 0) {
        Out("error=bad seconds");
        return 2;
    }
    const DWORD start = GetTickCount();
    const DWORD limit = static_cast<DWORD>(seconds * 1000);
    for (;;) {
        HWND hwnd = MainWindow();
        // A hidden window is not gone: only a missing one is.
        const bool done = wantPresent ? hwnd != nullptr && IsWindowVisible(hwnd) : hwnd == nullptr;
        if (done) {
            Out(std::string("waited_ms=") + std::to_string(GetTickCount() - start));
            return 0;
        }
        if (GetTickCount() - start >= limit) {
            Out(std::string("timeout=") +
                (wantPresent ? "window not found" : "window still there"));
            return 1;
        }
        Sleep(100);
    }
}

int ShowCapture() {
    HWND hwnd = nullptr;
    GUITHREADINFO info;
    if (!ToolThreadInfo(&hwnd, &info)) {
        return 1;
    }
    HWND capture = info.hwndCapture;
    const bool child = capture != nullptr && IsChild(hwnd, capture);
    Out("capture=" + Handle(capture));
    Out("capture_id=" + std::to_string(child ? GetDlgCtrlID(capture) : -1));
    Out(std::string("capture_is_tool=") + (capture == hwnd ? "1" : "0"));
    return 0;
}

bool ParseHandle(const wchar_t* text, HWND* hwnd) {
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(text, &end, 10);
    *hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
    return end != text && *end == 0;
}

int ShowAnyWindow(const wchar_t* handleText) {
    HWND hwnd = nullptr;
    if (!ParseHandle(handleText, &hwnd)) {
        Out("error=bad handle");
        return 2;
    }
    const bool exists = IsWindow(hwnd) != 0;
    Out(std::string("exists=") + (exists ? "1" : "0"));
    if (!exists) {
        return 1;
    }
    RECT outer;
    GetWindowRect(hwnd, &outer);
    Out(std::string("visible=") + (IsWindowVisible(hwnd) ? "1" : "0"));
    Out("rect=" + Rect(outer));
    Out("class=" + ClassOf(hwnd));
    Out("parent=" + Handle(GetAncestor(hwnd, GA_PARENT)));
    Out("caption=" + Caption(hwnd));
    // Its own visible style: a child of a hidden parent is not "visible" but is shown.
    Out(std::string("shown=") + ((GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0 ? "1" : "0"));
    // The mark a run of the tool leaves on a window it hides.
    const auto process =
        reinterpret_cast<uintptr_t>(GetPropW(hwnd, L"WindowHider.HiddenBy.Process"));
    const auto start = reinterpret_cast<uintptr_t>(GetPropW(hwnd, L"WindowHider.HiddenBy.Start"));
    Out(process == 0 ? std::string("mark=none")
                     : "mark=" + std::to_string(process) + "," + std::to_string(start));
    return 0;
}

BOOL CALLBACK ListTool(HWND hwnd, LPARAM) {
    if (ClassOf(hwnd) == "WindowHiderMain") {
        DWORD process = 0;
        GetWindowThreadProcessId(hwnd, &process);
        Out("tool=" + std::to_string(reinterpret_cast<uintptr_t>(hwnd)) + "," +
            std::to_string(process));
    }
    return TRUE;
}

int ListTools() {
    EnumWindows(ListTool, 0);
    return 0;
}

struct BoxSearch {
    DWORD process;
    HWND box;
};

BOOL CALLBACK FindToolBox(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<BoxSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process == search->process && ClassOf(hwnd) == "#32770" && IsWindowVisible(hwnd)) {
        search->box = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The topmost flag is read at the same moment, as it is meant to change while the box is open.
int ShowMessageBoxFacts() {
    HWND tool = MainWindow();
    if (tool == nullptr) {
        Out("exists=0");
        return 1;
    }
    const LONG exstyle = GetWindowLongW(tool, GWL_EXSTYLE);
    Out(std::string("tool_topmost=") + ((exstyle & WS_EX_TOPMOST) != 0 ? "1" : "0"));
    BoxSearch search = {0, nullptr};
    GetWindowThreadProcessId(tool, &search.process);
    EnumWindows(FindToolBox, reinterpret_cast<LPARAM>(&search));
    Out(std::string("box=") + (search.box != nullptr ? "1" : "0"));
    if (search.box == nullptr) {
        return 0;
    }
    Out("box_caption=" + Caption(search.box));
    std::string text;
    std::string okPoint = "none";
    for (HWND child = GetWindow(search.box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string cls = ClassOf(child);
        if (cls == "Static" && !Caption(child).empty()) {
            text += Caption(child);
        } else if (cls == "Button" && GetDlgCtrlID(child) == IDOK) {
            RECT r;
            GetWindowRect(child, &r);
            okPoint = std::to_string((r.left + r.right) / 2) + "," +
                      std::to_string((r.top + r.bottom) / 2);
        }
    }
    Out("box_text=" + text);
    Out("box_ok=" + okPoint);
    RECT r;
    GetWindowRect(search.box, &r);
    Out("box_rect=" + Rect(r));
    return 0;
}

int PostClose(const wchar_t* handleText) {
    HWND hwnd = nullptr;
    if (!ParseHandle(handleText, &hwnd)) {
        Out("error=bad handle");
        return 2;
    }
    const bool posted = PostMessageW(hwnd, WM_CLOSE, 0, 0) != 0;
    Out(std::string("posted=") + (posted ? "1" : "0"));
    return posted ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"window" && argc == 2) {
        return ShowWindowFacts();
    }
    if (command == L"controls" && argc == 2) {
        return ShowControls();
    }
    if (command == L"focus" && argc == 2) {
        return ShowFocus();
    }
    if (command == L"close-button" && argc == 2) {
        return ShowCloseButton();
    }
    if (command == L"colours" && argc == 2) {
        return ShowColours();
    }
    if (command == L"wait-window" && argc == 3) {
        return WaitFor(true, argv[2]);
    }
    if (command == L"wait-gone" && argc == 3) {
        return WaitFor(false, argv[2]);
    }
    if (command == L"capture" && argc == 2) {
        return ShowCapture();
    }
    if (command == L"win" && argc == 3) {
        return ShowAnyWindow(argv[2]);
    }
    if (command == L"msgbox" && argc == 2) {
        return ShowMessageBoxFacts();
    }
    if (command == L"close" && argc == 3) {
        return PostClose(argv[2]);
    }
    if (command == L"tools" && argc == 2) {
        return ListTools();
    }
    Out("error=usage: wh_probe window|controls|focus|close-button|colours|wait-window "
        "<s>|wait-gone <s>|capture|win <hwnd>|msgbox|close <hwnd>|tools");
    return 2;
}
