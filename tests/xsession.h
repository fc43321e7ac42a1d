#pragma once

// Drives the real program in a private X server: Xvfb for the screen, xdotool for the pointer,
// ImageMagick's import for screenshots.

#include <QImage>
#include <QPoint>
#include <QTemporaryDir>

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// The one deadline of every wait on an outside process or on the screen: generous, as a loaded machine
// can take many seconds to map a window, and free when things are fast, as each wait ends on its condition.
inline constexpr int kWaitMs = 60'000;

// Runs argv to completion with `env`, killing it after timeoutMs; its standard output, or nothing when it
// could not run, was killed or (unless anyStatus) exited with a failure status.
std::optional<std::string> RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                                      int timeoutMs = kWaitMs, bool anyStatus = false);

// This process's environment less the variables named in `drop`, plus the NAME=value entries of `add`.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& drop, const std::vector<std::string>& add);

// A background process that is stopped (TERM, then KILL) when this object goes away.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { Stop(); }

    // Starts argv with `env`, its output appended to logPath; false when it cannot be spawned. A `passFd`
    // of 0 or more is handed to the process as its descriptor 3.
    bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& logPath,
               int passFd = -1);
    // True while the process has not exited.
    bool Running();
    // Ends the process and reaps it; does nothing when none runs.
    void Stop();

private:
    pid_t pid_ = -1;
};

// A private Xvfb on a display number the server picks itself (-displayfd), shut down with this object.
class VirtualDisplay {
public:
    // Starts the server with a screen of `geometry` (WIDTHxHEIGHTxDEPTH) and waits until it has named the
    // display it got and answers there; false when it did not.
    bool Start(const std::string& scratchDir, const std::string& geometry = "1280x1024x24");
    // The display's name, ":N".
    const std::string& Name() const { return name_; }
    // The environment for a client of this server: ours without QT_QPA_PLATFORM, with DISPLAY set.
    const std::vector<std::string>& ClientEnv() const { return env_; }
    // Runs an X client tool (xdotool, import, ...) against this server; its output, or nothing on failure.
    std::optional<std::string> Run(const std::vector<std::string>& argv, bool anyStatus = false) const
    {
        return RunCommand(argv, env_, kWaitMs, anyStatus);
    }
    // Starts the window manager `command` in `wm` (output to `logPath`) and waits up to kWaitMs until it
    // answers wmctrl; false when it does not.
    bool StartWindowManager(ChildProcess& wm, const std::vector<std::string>& command, const std::string& logPath);
    // True once a window manager answered on this display.
    bool HasWindowManager() const { return windowManager_; }

private:
    ChildProcess server_;
    std::vector<std::string> env_;
    std::string name_;
    bool windowManager_ = false;
};

// The command that starts the program under test: TIRVOK3_COMMAND split at its spaces when that is set
// (say, Wine and the Windows .exe), else the built binary alone.
std::vector<std::string> ProgramCommand(const std::string& builtBinary);

// The Windows program's probe (tests/wine_probe.cpp) run beside it: TIRVOK3_PROBE split at its spaces,
// or none for a program that has no probe.
std::vector<std::string> ProbeCommand();

// The window manager the program under test runs under: TIRVOK3_WINDOW_MANAGER split at its spaces
// (say, "openbox --sm-disable"), or none.
std::vector<std::string> WindowManagerCommand();

// A screenshot of the whole screen with the place of the program's client area it was taken at: the
// place read just before and just after the shot, the same both times.
struct WindowShot {
    QImage screen;  // null when no shot could be taken
    QRect client;   // the client area in screen pixels

    bool isNull() const { return screen.isNull(); }
    // Screen position of a point given relative to the client area.
    QPoint ToScreen(QPoint at) const { return at + client.topLeft(); }
    // A client-area rectangle cut out of the shot.
    QImage Part(QRect rect) const { return screen.copy(rect.translated(client.topLeft())); }
    // The client area cut out of the shot.
    QImage WindowPart() const { return screen.copy(client); }
};

// The program under test, started in a VirtualDisplay, with its window's client area located on screen.
class ProgramWindow {
public:
    explicit ProgramWindow(VirtualDisplay& display) : display_(display) {}

    // Runs the command (with NAME=value entries added to the client environment), waits until a window
    // titled "Tirvok 3" is mapped and reads its position; false on failure.
    bool Start(const std::vector<std::string>& command, const std::vector<std::string>& extraEnv = {});
    // Reads the client area's screen position and size again (after a window manager moved it).
    bool Locate();
    // True when the window stands where the program asks it to: maximised, as the window manager says
    // (_NET_WM_STATE); with no window manager, which would say so, true.
    bool Placed();
    // True when the window is minimised on the X side too: iconic, as the window manager says (WM_STATE);
    // with no window manager, which would do it, true.
    bool Minimised() const;
    // True when the window is the active one, which has the keyboard, as the window manager says
    // (_NET_ACTIVE_WINDOW); with no window manager, which would say so, true.
    bool Active() const;
    // The X window id, as xdotool prints it.
    const std::string& Id() const { return id_; }
    // The client area's size in screen pixels, as last located.
    QSize Size() const { return size_; }
    // True while the program has not exited (a crash ends it).
    bool Running() { return program_.Running(); }
    // What the program wrote to its output and error streams so far.
    std::string Log() const;

    // Screen position of a point given relative to the client area, as last located.
    QPoint ToScreen(QPoint client) const { return client + origin_; }

    // Pointer actions at client-area points (as last located); button 1 left, 3 right.
    void MoveTo(QPoint client) const;
    void Press(int button) const;
    void Release(int button) const;
    void Click(QPoint client, int button = 1) const;

    // A screenshot with the window's place; a null one when it could not be taken or the window moved
    // while it was taken.
    WindowShot Shot();
    // Screenshots until `ready` holds for one, at most kWaitMs; that last screenshot.
    template <class Ready>
    WindowShot ShotWhen(Ready ready);

private:
    void Xdotool(std::vector<std::string> args) const;

    VirtualDisplay& display_;
    QTemporaryDir scratch_;
    ChildProcess program_;
    std::string id_;
    QPoint origin_;
    QSize size_;
};

// Milliseconds on a steady clock.
long long NowMs();
// Sleeps for the pause between two looks at a condition.
void PollPause();

// Looks at `done` until it holds or kWaitMs pass; whether it held.
template <class Done>
bool WaitFor(Done done)
{
    for (const long long start = NowMs(); !done(); PollPause())
        if (NowMs() - start > kWaitMs)
            return false;
    return true;
}

template <class Ready>
WindowShot ProgramWindow::ShotWhen(Ready ready)
{
    const long long start = NowMs();
    WindowShot shot = Shot();
    while ((shot.isNull() || !ready(shot)) && NowMs() - start <= kWaitMs)
        shot = Shot();
    return shot;
}
