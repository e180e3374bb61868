#include "ui/images.h"

#include "app/runtime.h"
#include "ui/image_parse.h"

#include <cstring>

namespace {
constexpr DWORD kIconVersion = 0x00030000;
}

HICON MakePictureFromValue(const DimArray* value) {
    IconImage image;
    if (!FindPictureImage(BytesOf(value), &image)) {
        return nullptr;
    }
    auto* bits = const_cast<PBYTE>(image.bits);
    HICON icon = CreateIconFromResourceEx(bits, image.size, TRUE, kIconVersion, image.width,
                                          image.height, LR_DEFAULTCOLOR);
    if (icon == nullptr && image.bitCount != 16) {
        icon = CreateIconFromResource(bits, image.size, TRUE, kIconVersion);
    }
    return icon;
}

HCURSOR MakeCursorFromValue(const DimArray* value) {
    CursorImage cursor;
    if (!FindCursorImage(BytesOf(value), &cursor)) {
        return nullptr;
    }
    // A cursor resource starts with its hotspot, then the image.
    const uint32_t size = cursor.image.size + 4;
    auto* buffer = static_cast<unsigned char*>(AllocBlock(size));
    const uint16_t hotspot[2] = {cursor.hotspotX, cursor.hotspotY};
    std::memcpy(buffer, hotspot, sizeof hotspot);
    std::memcpy(buffer + 4, cursor.image.bits, cursor.image.size);
    HCURSOR made = CreateIconFromResourceEx(buffer, size, FALSE, kIconVersion, cursor.width,
                                            cursor.height, LR_DEFAULTCOLOR);
    FreeBlock(buffer);
    return made;
}

HICON LoadProgramIcon(int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"DEFAULT_ICON", IMAGE_ICON,
                                         size, size, LR_DEFAULTCOLOR));
}
