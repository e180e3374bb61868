#include "ui/images.h"

// Decoding picture and pointer values comes with the images of the next build
// step; until then every value leaves the box without a picture and the control
// with the class cursor.
HICON MakePictureFromValue(const DimArray*) { return nullptr; }
HCURSOR MakeCursorFromValue(const DimArray*) { return nullptr; }

HICON LoadProgramIcon(int size) {
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), L"DEFAULT_ICON", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}
