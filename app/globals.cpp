#include "app/globals.h"

#include <cstring>

DimArray* HotkeyIds = nullptr;
DimArray* HotkeyActions = nullptr;
int32_t PickActive = 0;
DimArray* TargetHandleText = nullptr;
TargetRectangle* TargetRect = nullptr;

void InitGlobals() {
    HotkeyIds = NewVector(3, sizeof(int32_t));
    HotkeyActions = NewVector(3, sizeof(Subroutine));
    TargetHandleText = NewVector(2, sizeof(Text));
    TargetRect = static_cast<TargetRectangle*>(AllocBlock(sizeof(TargetRectangle)));
    std::memset(TargetRect, 0, sizeof(TargetRectangle));
}

void ReleaseGlobals() {
    FreeBlock(HotkeyIds);
    FreeBlock(HotkeyActions);
    const ArrayCount texts = ArrayCountAndData(TargetHandleText);
    for (int32_t k = 1; k <= texts.count; ++k) {
        FreeBlock(Element<Text>(TargetHandleText, k));
    }
    FreeBlock(TargetHandleText);
    FreeBlock(TargetRect);
}
