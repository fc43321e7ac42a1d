#include "birim1.h"
#include "version.h"

#include <commctrl.h>
#include <objbase.h>

#include <string_view>

// The name Windows shows for the program comes from the version resource; it must be the table's.
static_assert(std::string_view(TIRVOK_APP_TITLE) == kForm1.applicationTitle);

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    // COM for the screen-reader annotations (without it the window goes without them), the common
    // controls for the tooltip.
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    int exitCode = 0;
    {
        TForm1 Form1(instance, showCommand);
        exitCode = Form1.Run();
    }
    if (com)
        CoUninitialize();
    return exitCode;
}
