// The windows this run has hidden and not shown again, so that none is lost
// when the target changes or the tool ends.
#pragma once
#include "target/target_system.h"

void RememberHidden(WindowHandle window);
void ForgetHidden(WindowHandle window);
bool IsRememberedHidden(WindowHandle window);
int32_t RememberedHiddenCount();
// Shows every remembered window that still exists and is still hidden, then
// forgets them all.
void ShowEveryRememberedWindow();
