// Libraries wine_probe.exe loads into the running program, built twice from this file:
//  - with TIRVOK_PROBE_FONT, it reports the font of the "Kamera" tool as the program's own window holds it
//    (WM_GETFONT): the face GDI really gave, the cell and character heights, whether it is TrueType and
//    whether it has "ı";
//  - with TIRVOK_PROBE_CONTRAST, it makes the program's SPI_GETHIGHCONTRAST answer "on", as Windows does
//    while the user has high contrast on (Wine always answers "off" and cannot switch it on), and sets a
//    high-contrast colour scheme.
// Either writes its report, NAME=value lines, to its own path plus ".txt".

#include <windows.h>

#include <cstdio>
#include <iterator>
#include <string>

namespace {

HMODULE self = nullptr;

void Report(const std::string& text)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    const std::wstring done = std::wstring(path) + L".txt";
    const std::wstring writing = done + L".part";
    if (FILE* f = _wfopen(writing.c_str(), L"wb")) {
        std::fputs(text.c_str(), f);
        std::fclose(f);
        MoveFileExW(writing.c_str(), done.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

#ifdef TIRVOK_PROBE_FONT

BOOL CALLBACK FindKamera(HWND window, LPARAM found)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t title[32] = {};
    GetWindowTextW(window, title, 32);
    if (pid != GetCurrentProcessId() || std::wstring(title) != L"Tirvok 3")
        return TRUE;
    *reinterpret_cast<HWND*>(found) = FindWindowExW(window, nullptr, L"Button", L"Kamera");
    return FALSE;
}

DWORD WINAPI ReportFont(void*)
{
    HWND kamera = nullptr;
    EnumWindows(FindKamera, reinterpret_cast<LPARAM>(&kamera));
    const auto font = reinterpret_cast<HFONT>(SendMessageW(kamera, WM_GETFONT, 0, 0));
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    WORD glyph = 0xffff;
    GetGlyphIndicesW(dc, L"\u0131", 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, previous);
    DeleteDC(dc);
    char utf8[3 * LF_FACESIZE] = {};
    WideCharToMultiByte(CP_UTF8, 0, face, -1, utf8, int(sizeof utf8), nullptr, nullptr);
    char text[512];
    std::snprintf(text, sizeof text, "font=%d\nface=%s\ncell=%ld\ncharacter=%ld\ntruetype=%d\ndotless_i=%d\n",
                  font != nullptr, utf8, metrics.tmHeight, metrics.tmHeight - metrics.tmInternalLeading,
                  (metrics.tmPitchAndFamily & TMPF_TRUETYPE) != 0, glyph != 0xffff);
    Report(text);
    return 0;
}

void Start()
{
    // Not here, under the loader's lock: the window's thread answers WM_GETFONT.
    if (HANDLE thread = CreateThread(nullptr, 0, ReportFont, nullptr, 0, nullptr))
        CloseHandle(thread);
}

#endif

#ifdef TIRVOK_PROBE_CONTRAST

using SystemParametersInfoFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);
SystemParametersInfoFunction systemParametersInfo = nullptr;

BOOL WINAPI HighContrastOn(UINT action, UINT size, PVOID value, UINT flags)
{
    const BOOL done = systemParametersInfo(action, size, value, flags);
    if (done != FALSE && action == SPI_GETHIGHCONTRAST)
        static_cast<HIGHCONTRASTW*>(value)->dwFlags |= HCF_HIGHCONTRASTON;
    return done;
}

// Points the program's import of SystemParametersInfoW at HighContrastOn; the number of entries changed.
int Redirect()
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    systemParametersInfo = reinterpret_cast<SystemParametersInfoFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SystemParametersInfoW")));
    int changed = 0;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name != 0;
         ++entry)
        for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk); slot->u1.Function != 0; ++slot)
            if (slot->u1.Function == reinterpret_cast<ULONG_PTR>(systemParametersInfo)) {
                DWORD was = 0;
                VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &was);
                slot->u1.Function = reinterpret_cast<ULONG_PTR>(&HighContrastOn);
                VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, was, &was);
                ++changed;
            }
    return changed;
}

// The colours a high-contrast scheme sets, and the white-and-yellow-on-black scheme they get here. Set
// from inside the program, because Wine hands a running program no colours changed elsewhere; they last
// until Wine's server for the prefix stops, which the tests' start script does after every program.
constexpr int kColourIndexes[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_WINDOW, COLOR_WINDOWTEXT};
constexpr COLORREF kHighContrast[] = {RGB(0, 0, 0), RGB(255, 255, 0), RGB(0, 0, 0), RGB(255, 255, 255)};

void Start()
{
    const int redirected = Redirect();
    // As Windows does when the user switches high contrast on: new colours, WM_SYSCOLORCHANGE to every window.
    SetSysColors(int(std::size(kColourIndexes)), kColourIndexes, kHighContrast);
    char text[64];
    std::snprintf(text, sizeof text, "redirected=%d\nface=%06lx\n", redirected, GetSysColor(COLOR_BTNFACE));
    Report(text);
}

#endif

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH) {
        self = instance;
        DisableThreadLibraryCalls(instance);
        Start();
    }
    return TRUE;
}
