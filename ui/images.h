// Pictures and mouse pointers made from byte values (ByteSet).
#pragma once
#include <windows.h>

struct DimArray;

// An icon to paint, or null when the value is not a picture this tool shows.
HICON MakePictureFromValue(const DimArray* value);
// A cursor, or null when the value gives no cursor of its own.
HCURSOR MakeCursorFromValue(const DimArray* value);
// The program icon at one size, loaded from the executable's resources; null
// where the executable carries none.
HICON LoadProgramIcon(int size);
