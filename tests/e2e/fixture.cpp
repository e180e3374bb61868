// The tool's own window and runtime, with property writes that the user cannot
// reach yet, so a screenshot can show their effect:
//   wh_fixture.exe empty-picture | cross-hair-picture | disable-button1
#include "app/globals.h"
#include "app/runtime.h"
#include "app/runtime_win32.h"
#include "ui/image_constants.h"
#include "ui/window_api.h"
#include "ui/window_definition.h"

#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    InitRuntime();
    InitGlobals();
    SetExitCallback(ReleaseGlobals);
    LoadWindow(kMainWindowId);
    for (int k = 1; k < argc; ++k) {
        if (std::wcscmp(argv[k], L"empty-picture") == 0) {
            WriteProperty(kMainWindowId, kPictureBox1, kPropPicture, EmptyPicture);
        } else if (std::wcscmp(argv[k], L"cross-hair-picture") == 0) {
            WriteProperty(kMainWindowId, kPictureBox1, kPropPicture, CrossHairCursor);
        } else if (std::wcscmp(argv[k], L"disable-button1") == 0) {
            WriteProperty(kMainWindowId, kButton1, kPropDisabled, 1);
        } else if (std::wcscmp(argv[k], L"cross-hair-pointer") == 0) {
            WriteProperty(kMainWindowId, kPictureBox1, kPropMousePointer, CrossHairCursor);
        } else {
            return 2;
        }
    }
    RunMessageLoop();
    return ShutdownRuntime();
}
