// A small Windows tool the real-window tests run under the same Wine as the program, to do what a user
// or another program does to its window from outside: minimise and restore it as the taskbar does, and
// run one of the probe libraries (wine_probe_dll.cpp) inside it. What it reads it prints, one NAME=value
// a line.
//
//   wine_probe.exe minimise-restore     SC_MINIMIZE, then SC_RESTORE once the window is minimised
//   wine_probe.exe load font|contrast   loads wine_probe_font.dll or wine_probe_contrast.dll into the program
//                                       and prints what it reports
//   wine_probe.exe cancel-mode          sends WM_CANCELMODE, as the system does when another program takes
//                                       over mid-drag

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Below the tests' own 10 s for the whole run of this tool.
constexpr DWORD kWaitMs = 4'000;
constexpr DWORD kPollMs = 20;

HWND ProgramWindow() { return FindWindowW(nullptr, L"Tirvok 3"); }

template <class Done>
bool WaitFor(Done done)
{
    for (DWORD waited = 0; !done(); waited += kPollMs) {
        if (waited > kWaitMs)
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

int MinimiseRestore(HWND window)
{
    PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    if (!WaitFor([&] { return IsIconic(window) != FALSE; })) {
        std::puts("error=not minimised");
        return 1;
    }
    PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    if (!WaitFor([&] { return IsIconic(window) == FALSE; })) {
        std::puts("error=not restored");
        return 1;
    }
    std::puts("restored=1");
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
    WaitForSingleObject(thread, kWaitMs);
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
    if (argc >= 2 && std::strcmp(argv[1], "minimise-restore") == 0)
        return MinimiseRestore(window);
    if (argc >= 3 && std::strcmp(argv[1], "load") == 0)
        return Load(window, argv[2]);
    if (argc >= 2 && std::strcmp(argv[1], "cancel-mode") == 0) {
        SendMessageW(window, WM_CANCELMODE, 0, 0);
        std::puts("cancelled=1");
        return 0;
    }
    std::puts("error=usage: wine_probe.exe minimise-restore | load font|contrast | cancel-mode");
    return 2;
}
