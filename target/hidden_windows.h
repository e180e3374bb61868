// The windows this run has hidden and not shown again, so that none is lost
// when the target changes or the tool ends.
#pragma once
#include "target/target_system.h"

void RememberHidden(WindowHandle window);
void ForgetHidden(WindowHandle window);
bool IsRememberedHidden(WindowHandle window);
int32_t RememberedHiddenCount();
// Shows every remembered window that still exists, removes its mark, then
// forgets them all. A window whose hide is still on its way to a program that
// is not answering looks visible now, so visibility is not asked.
void ShowEveryRememberedWindow();
