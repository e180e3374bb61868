#include "ui/window_layer_win32.h"

#include "app/dim_array.h"
#include "app/runtime.h"
#include "app/runtime_win32.h"
#include "app/value_rules.h"
#include "ui/handles_win32.h"
#include "ui/images.h"
#include "ui/window_api.h"
#include "ui/window_definition.h"

#include <commctrl.h>

#include <cstring>

namespace {

constexpr wchar_t kMainClass[] = L"WindowHiderMain";
constexpr wchar_t kLabelClass[] = L"WindowHiderLabel";
constexpr UINT kFeedbackMessage = WM_APP + 0x75; // 0x8075
constexpr int kMaxControls = 8;

struct ControlState {
    const ControlRow* row = nullptr;
    HWND hwnd = nullptr;
    WNDPROC buttonProc = nullptr; // the standard button's procedure, for subclassed buttons
    DimArray* pointerValue = nullptr;
    DimArray* pictureValue = nullptr;
    UniqueCursor ownCursor;
    UniqueIcon picture;
    UniqueBrush background; // the picture box's
    bool hot = false;
    LPARAM lastMouse = -1; // the position of the last mouse message
};

struct WindowState {
    const WindowDefinition* definition = nullptr;
    HWND hwnd = nullptr;
    ControlState controls[kMaxControls];
    int controlCount = 0;
    HWND lastFocus = nullptr;
    bool showInTaskbar = true;
    bool silent = false; // no events: the fatal end is under way
    bool loopEntered = false;
    UniqueIcon bigIcon;
    UniqueIcon smallIcon;
};

WindowState g_window;

COLORREF ResolveColour(uint32_t colour) {
    return colour == kButtonFaceColour ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour);
}

ControlState* ControlOf(HWND hwnd) {
    for (int k = 0; k < g_window.controlCount; ++k) {
        if (g_window.controls[k].hwnd == hwnd) {
            return &g_window.controls[k];
        }
    }
    return nullptr;
}

ControlState* ControlByRecord(int32_t recordId) {
    for (int k = 0; k < g_window.controlCount; ++k) {
        if (g_window.controls[k].row->recordId == recordId) {
            return &g_window.controls[k];
        }
    }
    return nullptr;
}

bool IsProgramWindow(HWND hwnd) {
    return g_window.hwnd != nullptr && hwnd != nullptr &&
           (hwnd == g_window.hwnd || IsChild(g_window.hwnd, hwnd));
}

// --- events ---------------------------------------------------------------

void RaisePlainEvent(int32_t recordId, EventKind event) {
    if (g_window.silent || g_window.definition == nullptr) {
        return;
    }
    NotifyRuntimeObserver("event", recordId, static_cast<int32_t>(event), 0);
    const EventBinding* b = FindBinding(*g_window.definition, recordId, event);
    if (b != nullptr && b->plain != nullptr) {
        b->plain();
    }
}

int32_t KeyState() {
    int32_t keys = 0;
    if (GetKeyState(VK_CONTROL) < 0) {
        keys |= 1;
    }
    if (GetKeyState(VK_SHIFT) < 0) {
        keys |= 2;
    }
    if (GetKeyState(VK_MENU) < 0) {
        keys |= 4;
    }
    return keys;
}

void RaiseMouseEvent(const ControlState& control, EventKind event, LPARAM lParam) {
    if (g_window.silent) {
        return;
    }
    const auto x =
        static_cast<int32_t>(LOWORD(lParam)); // unsigned 16-bit, as the events carry them
    const auto y = static_cast<int32_t>(HIWORD(lParam));
    NotifyRuntimeObserver("mouse", control.row->recordId, static_cast<int32_t>(event), x);
    const EventBinding* b = FindBinding(*g_window.definition, control.row->recordId, event);
    if (b != nullptr && b->mouse != nullptr) {
        b->mouse(x, y, KeyState());
    }
}

// The mouse event of a mouse message; the message then goes on to its default
// handling, as no handler of the program gives a result.
void RaiseMouseMessage(ControlState& control, UINT message, LPARAM lParam) {
    // The system also sends a move where the pointer has not moved (after
    // SetCursorPos, a capture change or a repaint): that is no mouse move.
    const bool moved = lParam != control.lastMouse;
    control.lastMouse = lParam;
    if (message == WM_MOUSEMOVE && !moved) {
        return;
    }
    const EventKind event = message == WM_LBUTTONDOWN ? EventKind::LeftButtonDown
                            : message == WM_LBUTTONUP ? EventKind::LeftButtonUp
                                                      : EventKind::MouseMove;
    RaiseMouseEvent(control, event, lParam);
}

LRESULT RaiseFeedbackEvent(const ControlState& control, WPARAM wParam, LPARAM lParam) {
    if (g_window.silent) {
        return 0;
    }
    const auto first = static_cast<int32_t>(wParam);
    const auto second = static_cast<int32_t>(lParam);
    NotifyRuntimeObserver("feedback", control.row->recordId, first, second);
    const EventBinding* b =
        FindBinding(*g_window.definition, control.row->recordId, EventKind::Feedback);
    if (b != nullptr && b->feedback != nullptr) {
        b->feedback(first, second);
    }
    return 0; // the handlers give no result
}

// --- focus ----------------------------------------------------------------

bool CanTakeFocus(HWND hwnd) {
    return hwnd != nullptr && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd);
}

// The buttons in tab order, which is the creation order.
int ButtonsInTabOrder(HWND* buttons) {
    int n = 0;
    for (int k = 0; k < g_window.controlCount; ++k) {
        if (g_window.controls[k].row->tabStop) {
            buttons[n++] = g_window.controls[k].hwnd;
        }
    }
    return n;
}

void FocusFirstButton() {
    HWND buttons[kMaxControls];
    const int n = ButtonsInTabOrder(buttons);
    for (int k = 0; k < n; ++k) {
        if (CanTakeFocus(buttons[k])) {
            SetFocus(buttons[k]);
            return;
        }
    }
}

void OnMainSetFocus() {
    HWND last = g_window.lastFocus;
    if (last != nullptr && IsWindow(last) && IsChild(g_window.hwnd, last) && CanTakeFocus(last)) {
        SetFocus(last);
        return;
    }
    FocusFirstButton();
}

void MoveFocus(bool backwards) {
    HWND buttons[kMaxControls];
    const int n = ButtonsInTabOrder(buttons);
    if (n == 0) {
        return;
    }
    HWND focus = GetFocus();
    int at = -1;
    for (int k = 0; k < n; ++k) {
        if (buttons[k] == focus) {
            at = k;
        }
    }
    for (int step = 1; step <= n; ++step) {
        int k =
            at < 0 ? (backwards ? n - step : step - 1) : (at + (backwards ? n - step : step)) % n;
        if (CanTakeFocus(buttons[k])) {
            SetFocus(buttons[k]);
            return;
        }
    }
}

// --- painting -------------------------------------------------------------

void PaintLabel(HWND hwnd, const ControlState& control) {
    PaintScope paint(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    UniqueBrush back(CreateSolidBrush(ResolveColour(control.row->backColour)));
    FillRect(paint.dc(), &client, back.get());
    wchar_t text[512];
    const int length = GetWindowTextW(hwnd, text, 512);
    if (length > 0) {
        SelectedObject font(paint.dc(), GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(paint.dc(), TRANSPARENT);
        SetTextColor(paint.dc(), ResolveColour(control.row->textColour));
        DrawTextW(paint.dc(), text, length, &client,
                  DT_NOCLIP | DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    }
}

void PaintPictureBox(HWND hwnd, const ControlState& control) {
    PaintScope paint(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    SelectedObject brush(paint.dc(), control.background.get());
    PatBlt(paint.dc(), 0, 0, client.right, client.bottom, PATCOPY);
    if (control.picture) {
        DrawIconEx(paint.dc(), 0, 0, control.picture.get(), 0, 0, 0, nullptr, DI_NORMAL);
    }
}

void DrawOwnerButton(const DRAWITEMSTRUCT& item) {
    ControlState* control = ControlOf(item.hwndItem);
    if (control == nullptr) {
        return;
    }
    const ButtonColours& colours = *g_window.definition->buttonColours;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool lit = control->hot || pressed;
    HDC dc = item.hDC;
    RECT rect = item.rcItem;

    if (lit) {
        UniquePen pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
        UniqueBrush fill(CreateSolidBrush(colours.hotBack));
        SelectedObject usePen(dc, pen.get());
        SelectedObject useBrush(dc, fill.get());
        RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 8, 8);
    } else {
        UniqueBrush fill(CreateSolidBrush(focused ? colours.focusBack : colours.normalBack));
        FillRect(dc, &rect, fill.get());
    }

    wchar_t caption[128];
    const int length = GetWindowTextW(item.hwndItem, caption, 128);
    SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT measure = rect;
    DrawTextW(dc, caption, length, &measure, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    const int w = measure.right - measure.left;
    const int h = measure.bottom - measure.top;
    RECT text;
    text.left = rect.left + (rect.right - rect.left - w) / 2;
    text.top = rect.top + (rect.bottom - rect.top - h) / 2;
    if (pressed) {
        const int shift = g_window.definition->buttonCaptionShift;
        text.left += shift;
        text.top += shift;
    }
    text.right = text.left + w;
    text.bottom = text.top + h;
    SetBkMode(dc, TRANSPARENT);
    const UINT format = DT_WORDBREAK | DT_CENTER;
    if (disabled) {
        RECT etch = text;
        OffsetRect(&etch, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextW(dc, caption, length, &etch, format);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
        DrawTextW(dc, caption, length, &text, format);
        return;
    }
    SetTextColor(dc, lit ? colours.hotText : (focused ? colours.focusText : colours.normalText));
    DrawTextW(dc, caption, length, &text, format);
}

// --- buttons --------------------------------------------------------------

void SetHot(ControlState& control, bool hot) {
    if (control.hot == hot) {
        return;
    }
    control.hot = hot;
    InvalidateRect(control.hwnd, nullptr, TRUE);
}

void OnButtonMouseMove(ControlState& control, WPARAM keys) {
    if ((keys & MK_LBUTTON) != 0 && !control.hot) {
        return;
    }
    POINT at;
    GetCursorPos(&at);
    if (WindowFromPoint(at) != control.hwnd) {
        SetHot(control, false);
        return;
    }
    if (!control.hot) {
        SetHot(control, true);
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, control.hwnd, 0};
        _TrackMouseEvent(&track);
    }
}

void OnButtonEnable(ControlState& control, bool enabled) {
    if (!enabled) {
        HWND next = GetNextDlgTabItem(g_window.hwnd, control.hwnd, FALSE);
        SetFocus(next != nullptr && next != control.hwnd ? next : g_window.hwnd);
    }
    InvalidateRect(control.hwnd, nullptr, TRUE);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ControlState* control = ControlOf(hwnd);
    if (control == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    WNDPROC standard = control->buttonProc;
    switch (message) {
    case WM_GETDLGCODE:
        return CallWindowProcW(standard, hwnd, message, wParam, lParam) | DLGC_UNDEFPUSHBUTTON;
    case WM_MOUSEMOVE:
        OnButtonMouseMove(*control, wParam);
        RaiseMouseMessage(*control, message, lParam);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        RaiseMouseMessage(*control, message, lParam);
        break;
    case WM_MOUSELEAVE:
    case WM_KILLFOCUS:
    case WM_CANCELMODE:
        SetHot(*control, false);
        break;
    case WM_SETFOCUS:
        g_window.lastFocus = hwnd;
        break;
    case WM_ENABLE:
        OnButtonEnable(*control, wParam != 0);
        break;
    default:
        break;
    }
    return CallWindowProcW(standard, hwnd, message, wParam, lParam);
}

// --- labels and the picture box -------------------------------------------

LRESULT CALLBACK LabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ControlState* control = ControlOf(hwnd);
    if (control == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_PAINT:
        if (control->row->kind == ControlKind::PictureBox) {
            PaintPictureBox(hwnd, *control);
        } else {
            PaintLabel(hwnd, *control);
        }
        return 0;
    case kFeedbackMessage:
        return RaiseFeedbackEvent(*control, wParam, lParam);
    case WM_CAPTURECHANGED:
        RaisePlainEvent(control->row->recordId, EventKind::CaptureLost);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
        RaiseMouseMessage(*control, message, lParam);
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// --- the main window ------------------------------------------------------

void PaintMainBackground(HWND hwnd, HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
}

bool OnMainSetCursor(HWND under) {
    ControlState* control = ControlOf(under);
    if (control == nullptr || !control->ownCursor) {
        return false;
    }
    SetCursor(control->ownCursor.get());
    return true;
}

void OnMainCommand(HWND from, WORD code) {
    ControlState* control = ControlOf(from);
    if (control != nullptr && code == BN_CLICKED) {
        RaisePlainEvent(control->row->recordId, EventKind::Clicked);
    }
}

void OnMainDestroy() {
    RaisePlainEvent(g_window.definition->window->recordId, EventKind::WillBeDestroyed);
}

void OnMainGone() {
    g_window.hwnd = nullptr;
    g_window.controlCount = 0;
    if (g_window.loopEntered && !g_window.silent) {
        PostQuitMessage(0);
    }
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        PaintMainBackground(hwnd, reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_DRAWITEM:
        DrawOwnerButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_SETCURSOR:
        if (OnMainSetCursor(reinterpret_cast<HWND>(wParam))) {
            return TRUE;
        }
        break;
    case WM_COMMAND:
        OnMainCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_SETFOCUS:
        OnMainSetFocus();
        return 0;
    case WM_DESTROY:
        OnMainDestroy();
        return 0;
    case WM_NCDESTROY:
        OnMainGone();
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// --- creation -------------------------------------------------------------

bool RegisterOnce(const wchar_t* name, WNDPROC proc, UINT style) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc;
    if (GetClassInfoW(instance, name, &wc)) {
        return true;
    }
    std::memset(&wc, 0, sizeof wc);
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    wc.lpszClassName = name;
    return RegisterClassW(&wc) != 0;
}

bool RegisterClasses() {
    return RegisterOnce(kMainClass, MainProc, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS) &&
           RegisterOnce(kLabelClass, LabelProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
}

HWND CreateControl(HWND parent, const ControlRow& row) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (row.border) {
        style |= WS_BORDER;
    }
    if (row.tabStop) {
        style |= WS_TABSTOP;
    }
    const wchar_t* cls = kLabelClass;
    if (row.kind == ControlKind::OwnerDrawButton) {
        cls = L"BUTTON";
        style |= BS_OWNERDRAW;
    }
    return CreateWindowExW(0, cls, row.caption, style, row.left, row.top, row.width, row.height,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.childId)),
                           instance, nullptr);
}

void ReleaseControlValues(ControlState& control) {
    FreeBlock(control.pointerValue);
    control.pointerValue = nullptr;
    FreeBlock(control.pictureValue);
    control.pictureValue = nullptr;
    control.ownCursor.reset();
    control.picture.reset();
    control.background.reset();
}

void ResetWindowState() {
    for (ControlState& control : g_window.controls) {
        ReleaseControlValues(control);
        control = ControlState();
    }
    g_window.controlCount = 0;
    g_window.hwnd = nullptr;
    g_window.lastFocus = nullptr;
}

bool CreateMainWindow(const WindowDefinition& definition) {
    const WindowRow& w = *definition.window;
    if (!RegisterClasses()) {
        return false;
    }
    ResetWindowState();
    g_window.definition = &definition;
    g_window.showInTaskbar = w.showInTaskbar;
    g_window.silent = false;

    DWORD style = WS_CLIPCHILDREN | WS_CAPTION;
    if (w.controlBox) {
        style |= WS_SYSMENU;
    }
    if (w.minimiseBox) {
        style |= WS_MINIMIZEBOX;
    }
    if (w.maximiseBox) {
        style |= WS_MAXIMIZEBOX;
    }
    int left = w.storedLeft;
    int top = w.storedTop;
    if (w.centred) {
        left = (GetSystemMetrics(SM_CXSCREEN) - w.width) / 2;
        top = (GetSystemMetrics(SM_CYSCREEN) - w.height) / 2;
    }
    HWND hwnd = CreateWindowExW(0, kMainClass, w.caption, style, left, top, w.width, w.height,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hwnd == nullptr) {
        return false;
    }
    g_window.hwnd = hwnd;
    RECT outer;
    GetWindowRect(hwnd, &outer);
    if (outer.right - outer.left != w.width || outer.bottom - outer.top != w.height) {
        SetWindowPos(hwnd, nullptr, 0, 0, w.width, w.height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // Icons are loaded once and kept for the window's whole life.
    if (!g_window.bigIcon) {
        g_window.bigIcon.reset(LoadProgramIcon(32));
        g_window.smallIcon.reset(LoadProgramIcon(16));
    }
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_window.bigIcon.get()));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_window.smallIcon.get()));
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);

    if (w.alwaysOnTop) {
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    }

    for (int k = 0; k < definition.controlCount && k < kMaxControls; ++k) {
        const ControlRow& row = definition.controls[k];
        ControlState& control = g_window.controls[k];
        control.row = &row;
        control.hwnd = CreateControl(hwnd, row);
        if (control.hwnd == nullptr) {
            return false;
        }
        g_window.controlCount = k + 1;
        if (row.kind == ControlKind::OwnerDrawButton) {
            SendMessageW(control.hwnd, WM_SETFONT,
                         reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
            control.buttonProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                control.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ButtonProc)));
        }
        if (row.kind == ControlKind::PictureBox) {
            control.background.reset(CreateSolidBrush(ResolveColour(row.backColour)));
        }
    }

    // Stacking is the reverse of creation: the last control on top.
    HWND above = HWND_TOP;
    for (int k = g_window.controlCount - 1; k >= 0; --k) {
        SetWindowPos(g_window.controls[k].hwnd, above, 0, 0, 0, 0,
                     SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
        above = g_window.controls[k].hwnd;
    }
    for (int k = 0; k < g_window.controlCount; ++k) {
        ShowWindow(g_window.controls[k].hwnd, SW_SHOWNA);
    }

    RaisePlainEvent(w.recordId, EventKind::Created);
    RaisePlainEvent(w.recordId, EventKind::Moved);
    RaisePlainEvent(w.recordId, EventKind::Resized);
    // A created handler may have ended the window already.
    if (g_window.hwnd != nullptr && w.visible) {
        ShowWindow(g_window.hwnd, SW_SHOW);
    }
    return true;
}

// --- properties -----------------------------------------------------------

DimArray* CopyBytes(const DimArray* value) {
    DimArray* copy = nullptr;
    AssignArray(&copy, value, 1);
    return copy;
}

void WritePicture(ControlState& control, const DimArray* value) {
    DimArray* copy = CopyBytes(value);
    FreeBlock(control.pictureValue);
    control.pictureValue = copy;
    control.picture.reset(MakePictureFromValue(copy));
    InvalidateRect(control.hwnd, nullptr, FALSE);
}

void WriteMousePointer(ControlState& control, const DimArray* value) {
    DimArray* copy = CopyBytes(value);
    FreeBlock(control.pointerValue);
    control.pointerValue = copy;
    control.ownCursor.reset(MakeCursorFromValue(copy));
    // Putting the pointer back where it is makes the new shape show at once.
    POINT at;
    GetCursorPos(&at);
    SetCursorPos(at.x, at.y);
}

} // namespace

bool InitWindowLayer() {
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
    return RegisterClasses();
}

void ReleaseWindowLayer() {
    if (g_window.hwnd != nullptr) {
        DestroyProgramWindowsSilently();
    }
    ResetWindowState();
    g_window.bigIcon.reset();
    g_window.smallIcon.reset();
}

bool CreateWindowFromDefinition(int32_t windowId) {
    const WindowDefinition* definition = FindWindowDefinition(windowId);
    return definition != nullptr && CreateMainWindow(*definition);
}

bool AnyProgramWindow() {
    return g_window.hwnd != nullptr && IsWindow(g_window.hwnd);
}

void SetMessageLoopEntered() {
    g_window.loopEntered = true;
}

bool PreTranslateProgramMessage(MSG* msg) {
    if (msg->message != WM_KEYDOWN || !IsProgramWindow(msg->hwnd)) {
        return false;
    }
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool alt = GetKeyState(VK_MENU) < 0;
    if (msg->wParam == VK_ESCAPE && !ctrl && !shift && !alt &&
        g_window.definition->window->escCloses) {
        SendMessageW(g_window.hwnd, WM_CLOSE, 0, 0);
        return true;
    }
    if (msg->wParam == VK_TAB && !ctrl && !alt) {
        MoveFocus(shift);
        return true;
    }
    return false;
}

void DestroyProgramWindowsSilently() {
    g_window.silent = true;
    if (g_window.hwnd != nullptr && IsWindow(g_window.hwnd)) {
        DestroyWindow(g_window.hwnd);
    }
    g_window.hwnd = nullptr;
}

// --- the handlers' interface ----------------------------------------------

int32_t ReadProperty(int32_t windowId, int32_t recordId, int32_t property) {
    if (windowId != kMainWindowId || g_window.hwnd == nullptr) {
        return 0;
    }
    if (recordId == kWindowRecordId) {
        switch (property) {
        case kPropVisible:
            return IsWindowVisible(g_window.hwnd) ? 1 : 0;
        case kPropShowInTaskbar:
            return g_window.showInTaskbar ? 1 : 0;
        default:
            return 0;
        }
    }
    ControlState* control = ControlByRecord(recordId);
    if (control != nullptr && property == kPropDisabled) {
        return IsWindowEnabled(control->hwnd) ? 0 : 1;
    }
    return 0;
}

void WriteProperty(int32_t windowId, int32_t recordId, int32_t property, int32_t value) {
    if (windowId != kMainWindowId || g_window.hwnd == nullptr) {
        return;
    }
    if (recordId == kWindowRecordId) {
        switch (property) {
        case kPropVisible:
            ShowWindow(g_window.hwnd, value != 0 ? SW_SHOW : SW_HIDE);
            return;
        case kPropShowInTaskbar:
            // Decides the owner only when a window is created: the existing one keeps its button.
            g_window.showInTaskbar = value != 0;
            return;
        case kPropAlwaysOnTop:
            SetWindowPos(g_window.hwnd, value != 0 ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                         SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
            return;
        default:
            return;
        }
    }
    ControlState* control = ControlByRecord(recordId);
    if (control != nullptr && property == kPropDisabled) {
        EnableWindow(control->hwnd, value == 0 ? TRUE : FALSE);
    }
}

void WriteProperty(int32_t windowId, int32_t recordId, int32_t property, const char* text) {
    if (windowId != kMainWindowId || g_window.hwnd == nullptr || property != kPropCaption) {
        return;
    }
    ControlState* control = ControlByRecord(recordId);
    if (control == nullptr || control->row->kind != ControlKind::Label) {
        return;
    }
    // A drag writes the caption on every move: the same text again would only
    // repaint the label.
    const uint32_t length = TextLength(text);
    char current[300];
    if (length < sizeof current - 1 &&
        static_cast<uint32_t>(GetWindowTextA(control->hwnd, current, sizeof current)) == length &&
        std::memcmp(current, text == nullptr ? "" : text, length) == 0) {
        return;
    }
    // ANSI, as the text came from another window's GetWindowTextA.
    Text copy = MakeText(text, length);
    SetWindowTextA(control->hwnd, copy);
    FreeBlock(copy);
    InvalidateRect(control->hwnd, nullptr, FALSE);
}

void WriteProperty(int32_t windowId, int32_t recordId, int32_t property, const DimArray* bytes) {
    if (windowId != kMainWindowId || g_window.hwnd == nullptr) {
        return;
    }
    ControlState* control = ControlByRecord(recordId);
    if (control == nullptr) {
        return;
    }
    if (property == kPropPicture && control->row->kind == ControlKind::PictureBox) {
        WritePicture(*control, bytes);
    } else if (property == kPropMousePointer) {
        WriteMousePointer(*control, bytes);
    }
}

void* ControlHandle(int32_t windowId, int32_t recordId) {
    if (windowId != kMainWindowId) {
        return nullptr;
    }
    if (recordId == kWindowRecordId) {
        return g_window.hwnd;
    }
    ControlState* control = ControlByRecord(recordId);
    return control != nullptr ? control->hwnd : nullptr;
}
