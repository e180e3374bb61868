// The main window as data: one row per control, read by the window layer.
#pragma once
#include <cstdint>

enum class ControlKind : uint8_t { Label, PictureBox, OwnerDrawButton };

enum class EventKind : uint8_t {
    Created, // the window and its controls exist, before it is first shown
    Moved,   // raised after Created; nothing is bound to it
    Resized, // likewise
    WillBeDestroyed,
    Clicked,
    Feedback,       // the label's message 0x8075: (wParam, lParam)
    LeftButtonDown, // (x, y, key state)
    LeftButtonUp,
    MouseMove,
    CaptureLost, // the mouse capture was taken away from the control
};

// Colours are 0x00BBGGRR; this value stands for the system's button face.
constexpr uint32_t kButtonFaceColour = 0xFF000000u;

constexpr int32_t kWindowRecordId = 100728832; // 0x06010000
constexpr int32_t kPictureBox1 = 369164468;    // 图片框1, 0x160100B4
constexpr int32_t kLabel1 = 369164469;         // 标签1
constexpr int32_t kEditBox1 = 369164470;       // 编辑框1 (a label)
constexpr int32_t kButton1 = 369164474;        // 按钮1
constexpr int32_t kButton2 = 369164475;        // 按钮2
constexpr int32_t kSuperButton3 = 369164476;   // 超按钮3

struct ButtonColours {
    uint32_t normalText, normalBack, hotText, hotBack, focusText, focusBack;
};

struct ControlRow {
    ControlKind kind;
    const char* name; // UTF-8, for messages and tests
    int32_t recordId;
    int16_t childId;
    int16_t left, top, width, height;
    const wchar_t* caption;
    uint32_t textColour, backColour; // labels and the picture box
    bool border;                     // a one-pixel line
    bool tabStop;
};

struct WindowRow {
    int32_t windowId;
    int32_t recordId;
    const wchar_t* caption;
    int16_t storedLeft, storedTop, width, height;
    bool centred, minimiseBox, maximiseBox, controlBox, alwaysOnTop, showInTaskbar, visible;
    bool escCloses, enterMovesFocus;
    uint32_t backColour;
};

using PlainHandler = void (*)();
using MouseHandler = void (*)(int32_t x, int32_t y, int32_t keyState);
using FeedbackHandler = void (*)(int32_t first, int32_t second);

struct EventBinding {
    int32_t recordId;
    EventKind event;
    PlainHandler plain;
    MouseHandler mouse;
    FeedbackHandler feedback;
};

struct WindowDefinition {
    const WindowRow* window;
    const ControlRow* controls; // in creation order
    int controlCount;
    const ButtonColours* buttonColours;
    int buttonCaptionShift; // pixels right and down while pressed
    const EventBinding* bindings;
    int bindingCount;
};

// The definition of a window id, or null when there is none.
const WindowDefinition* FindWindowDefinition(int32_t windowId);

const ControlRow* FindControlRow(const WindowDefinition& definition, int32_t recordId);
const EventBinding* FindBinding(const WindowDefinition& definition, int32_t recordId,
                                EventKind event);
