// The window layer: makes the window definition real on Win32 and carries out
// the property reads and writes of the handlers.
#pragma once
#include <windows.h>

#include <cstdint>

bool InitWindowLayer();
void ReleaseWindowLayer();

// Creates the window of that definition with its controls, runs its created
// event, then shows it. False when there is no such definition or creation fails.
bool CreateWindowFromDefinition(int32_t windowId);

bool AnyProgramWindow();
// From now on the end of the last window posts the quit request.
void SetMessageLoopEntered();

// The look at a queued message before it is dispatched: true when it was
// consumed (Esc, Tab, Shift+Tab).
bool PreTranslateProgramMessage(MSG* msg);

// Destroys the program's windows without raising their events (fatal end).
void DestroyProgramWindowsSilently();
