// The five globals the handlers share. They exist from InitGlobals until
// ReleaseGlobals and are touched only on the GUI thread.
#pragma once
#include "app/dim_array.h"
#include "app/runtime.h"
#include "app/value_rules.h"

#include <cstdint>

struct TargetRectangle {
    int32_t left, top, right, bottom;
};

extern DimArray* HotkeyIds;        // int32 x 3: ids of the registered hotkeys
extern DimArray* HotkeyActions;    // Subroutine x 3
extern int32_t PickActive;         // 1 while a drag-pick is in progress
extern DimArray* TargetHandleText; // Text x 2: element 1 is the target's handle
extern TargetRectangle* TargetRect;

void InitGlobals();
void ReleaseGlobals();
