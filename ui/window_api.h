// How handlers read and change the window and its controls.
#pragma once
#include <cstdint>

// Property numbers in use.
enum PropertyNumber : int32_t {
    kPropVisible = 5,
    kPropDisabled = 6,
    kPropMousePointer = 7,
    kPropCaption = 8,
    kPropPicture = 10,
    kPropShowInTaskbar = 26,
    kPropAlwaysOnTop = 29,
};

struct DimArray;

int32_t ReadProperty(int32_t windowId, int32_t recordId, int32_t property);
void WriteProperty(int32_t windowId, int32_t recordId, int32_t property, int32_t value);
// Texts are copied; null is the empty text.
void WriteProperty(int32_t windowId, int32_t recordId, int32_t property, const char* text);
// Byte values (ByteSet) are copied; null is the empty value.
void WriteProperty(int32_t windowId, int32_t recordId, int32_t property, const DimArray* bytes);
// The Win32 window handle of the window or a control, as a pointer-sized value.
void* ControlHandle(int32_t windowId, int32_t recordId);
