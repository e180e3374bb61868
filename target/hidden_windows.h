// The windows this run has hidden and not shown again, so that none is lost
// when the target changes, the tool ends, or it is killed.
#pragma once
#include "target/target_system.h"

// Called before the window is hidden: it is marked, so that even a kill right
// after loses nothing, and a fatal end or a crash will show it again.
void RememberHidden(WindowHandle window);
// Called once the window is shown again: its mark goes, whoever set it.
void ForgetHidden(WindowHandle window);
bool IsRememberedHidden(WindowHandle window);
int32_t RememberedHiddenCount();
// Shows every remembered window that still exists, removes its mark, then
// forgets them all. A window whose hide is still on its way to a program that
// is not answering looks visible now, so visibility is not asked.
void ShowEveryRememberedWindow();
