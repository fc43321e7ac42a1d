// A small Windows tool the real-window tests run under the same Wine as the program, to do what a user
// or another program does to its window from outside: minimise and restore it as the taskbar does, and
// run one of the probe libraries (wine_probe_dll.cpp) inside it. What it reads it prints, one NAME=value
// a line.
//
//   wine_probe.exe minimise             SC_MINIMIZE, then waits until the window is minimised
//   wine_probe.exe restore              SC_RESTORE, then waits until it no longer is
//   wine_probe.exe load font|contrast   loads wine_probe_font.dll or wine_probe_contrast.dll into the program
//                                       and prints what it reports
//   wine_probe.exe cancel-mode          sends WM_CANCELMODE, as the system does when another program takes
//                                       over mid-drag

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Each wait of this tool: two of them and Wine's start stay below the test's minute for the whole run,
// and a loaded machine can take many seconds to minimise a window.
constexpr ULONGLONG kWaitMs = 25'000;
constexpr DWORD kPollMs = 20;

HWND ProgramWindow() { return FindWindowW(nullptr, L"Tirvok 3"); }

template <class Done>
bool WaitFor(Done done)
{
    const ULONGLONG start = GetTickCount64();
    while (!done()) {
        if (GetTickCount64() - start > kWaitMs)
            return false;
        Sleep(kPollMs);
    }
    return true;
}

// The folder this tool is in, with its separator.
std::wstring MyFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder;
}

// Posts the system command `command` as the taskbar does and waits until IsIconic says `iconic`; prints
// `done`=1 then, else an error.
int SystemCommand(HWND window, WPARAM command, bool iconic, const char* done)
{
    PostMessageW(window, WM_SYSCOMMAND, command, 0);
    if (!WaitFor([&] { return (IsIconic(window) != FALSE) == iconic; })) {
        std::printf("error=not %s\n", done);
        return 1;
    }
    std::printf("%s=1\n", done);
    return 0;
}

// Runs LoadLibraryW on the probe library `name` (wine_probe_NAME.dll, beside this tool) on a new thread
// of the program, then waits for the library's report.
int Load(HWND window, const char* name)
{
    std::wstring full = MyFolder() + L"wine_probe_";
    for (const char* c = name; *c != 0; ++c)
        full += wchar_t(*c);
    full += L".dll";
    const std::wstring report = full + L".txt";
    _wremove(report.c_str());

    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    const SIZE_T bytes = (full.size() + 1) * sizeof(wchar_t);
    void* remote = process != nullptr ? VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE) : nullptr;
    if (remote == nullptr || !WriteProcessMemory(process, remote, full.c_str(), bytes, nullptr)) {
        std::puts("error=cannot write into the program");
        return 1;
    }
    auto* load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, load, remote, 0, nullptr);
    if (thread == nullptr) {
        std::puts("error=cannot start a thread in the program");
        return 1;
    }
    WaitForSingleObject(thread, DWORD(kWaitMs));
    CloseHandle(thread);
    CloseHandle(process);
    FILE* f = nullptr;
    if (!WaitFor([&] { return (f = _wfopen(report.c_str(), L"rb")) != nullptr; })) {
        std::puts("error=no report");
        return 1;
    }
    char line[256];
    while (std::fgets(line, sizeof line, f) != nullptr)
        std::fputs(line, stdout);
    std::fclose(f);
    _wremove(report.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    HWND window = ProgramWindow();
    if (window == nullptr) {
        std::puts("error=no window titled \"Tirvok 3\"");
        return 1;
    }
    if (argc >= 2 && std::strcmp(argv[1], "minimise") == 0)
        return SystemCommand(window, SC_MINIMIZE, true, "minimised");
    if (argc >= 2 && std::strcmp(argv[1], "restore") == 0)
        return SystemCommand(window, SC_RESTORE, false, "restored");
    if (argc >= 3 && std::strcmp(argv[1], "load") == 0)
        return Load(window, argv[2]);
    if (argc >= 2 && std::strcmp(argv[1], "cancel-mode") == 0) {
        SendMessageW(window, WM_CANCELMODE, 0, 0);
        std::puts("cancelled=1");
        return 0;
    }
    std::puts("error=usage: wine_probe.exe minimise | restore | load font|contrast | cancel-mode");
    return 2;
}
