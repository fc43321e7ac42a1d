#include "xsession.h"

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

inline constexpr int kPollMs = 20;
inline constexpr int kExecFailed = 127;
// How long one probe window may take to be managed before another is tried.
inline constexpr int kProbeMs = 5'000;
// The descriptor a child gets its passed one as (Xvfb -displayfd 3).
inline constexpr int kPassedFd = 3;

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// argv-style pointers into `strings`, ended by a null pointer.
std::vector<char*> CStrings(const std::vector<std::string>& strings)
{
    std::vector<char*> out;
    for (const std::string& s : strings)
        out.push_back(const_cast<char*>(s.c_str()));
    out.push_back(nullptr);
    return out;
}

// Starts argv with env, standard output and error going to outFd and errFd, and passFd (when 0 or more)
// as descriptor 3. The child leads a process group of its own, so whatever it starts can be stopped with
// it, and is sent SIGTERM when the test process dies, so no X server or program outlives a crashed test.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, int outFd, int errFd,
            int passFd = -1)
{
    std::vector<char*> args = CStrings(argv);
    std::vector<char*> envp = CStrings(env);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0)
        return pid;  // the parent, or -1
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        _exit(kExecFailed);
    dup2(outFd, STDOUT_FILENO);
    dup2(errFd, STDERR_FILENO);
    // dup2 onto itself keeps close-on-exec, so then the flag is cleared by hand.
    if (passFd >= 0 && (passFd == kPassedFd ? fcntl(kPassedFd, F_SETFD, 0) : dup2(passFd, kPassedFd)) < 0)
        _exit(kExecFailed);
    execvpe(args[0], args.data(), envp.data());
    _exit(kExecFailed);
}

// Waits for pid until deadlineMs, then kills it; true when it exited by itself, with status 0 unless anyStatus.
bool ReapBy(pid_t pid, long long deadlineMs, bool anyStatus = false)
{
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (NowMs() > deadlineMs) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return false;
        }
        SleepMs(1);
    }
    return WIFEXITED(status) && (anyStatus || WEXITSTATUS(status) == 0);
}

// Our environment for a client of display `name`: without QT_QPA_PLATFORM, so Qt picks xcb, and
// without a session bus, so Qt does not autolaunch one that could outlive the test.
std::vector<std::string> ClientEnvironment(const std::string& name)
{
    return EnvironmentWith({"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"},
                           {"DISPLAY=" + name, "DBUS_SESSION_BUS_ADDRESS=disabled:"});
}

}  // namespace

std::vector<std::string> EnvironmentWith(const std::vector<std::string>& drop, const std::vector<std::string>& add)
{
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (std::find(drop.begin(), drop.end(), name) == drop.end())
            env.push_back(entry);
    }
    env.insert(env.end(), add.begin(), add.end());
    return env;
}

void PollPause() { SleepMs(kPollMs); }

long long NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::optional<std::string> RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                                      int timeoutMs, bool anyStatus)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return std::nullopt;
    const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t pid = Spawn(argv, env, fds[1], devNull);
    close(devNull);
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return std::nullopt;
    }
    const long long deadline = NowMs() + timeoutMs;
    std::string out;
    char buffer[4096];
    for (;;) {
        pollfd ready{fds[0], POLLIN, 0};
        const long long left = deadline - NowMs();
        if (left <= 0 || poll(&ready, 1, int(left)) <= 0)
            break;  // timed out; ReapBy kills it
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;  // end of output
        out.append(buffer, std::size_t(n));
    }
    close(fds[0]);
    if (!ReapBy(pid, deadline, anyStatus))
        return std::nullopt;
    return out;
}

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         const std::string& logPath, int passFd)
{
    Stop();
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log < 0)
        return false;
    pid_ = Spawn(argv, env, log, log, passFd);
    close(log);
    return pid_ > 0;
}

bool ChildProcess::Running()
{
    if (pid_ <= 0)
        return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == 0)
        return true;
    pid_ = -1;
    return false;
}

// TERM lets the process end its own (tests/wine.sh stops every Wine process of its prefix), which can
// take seconds on a loaded machine; then whatever is left of its group is killed, so nothing of it (no
// window of a program started under Wine) is still there when the next one starts.
void ChildProcess::Stop()
{
    if (!Running())
        return;
    kill(pid_, SIGTERM);
    ReapBy(pid_, NowMs() + kWaitMs);
    kill(-pid_, SIGKILL);
    pid_ = -1;
}

bool VirtualDisplay::Start(const std::string& scratchDir, const std::string& geometry)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    // The server takes the first free display number and writes it to descriptor 3 once it accepts
    // clients there; -noreset: a server resets when its last client leaves, and a client connecting
    // meanwhile fails.
    const bool started = server_.Start(
        {"Xvfb", "-displayfd", std::to_string(kPassedFd), "-nolisten", "tcp", "-noreset", "-screen", "0", geometry},
        EnvironmentWith({}, {}), scratchDir + "/xvfb.log", fds[1]);
    close(fds[1]);
    std::string number;
    const long long deadline = NowMs() + kWaitMs;
    for (char c = 0; started && number.find('\n') == std::string::npos;) {
        pollfd ready{fds[0], POLLIN, 0};
        const long long left = deadline - NowMs();
        if (left <= 0 || poll(&ready, 1, int(left)) <= 0 || read(fds[0], &c, 1) != 1)
            break;  // timed out, or the server ended without naming a display
        number += c;
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        server_.Stop();
        return false;
    }
    name_ = ":" + number.substr(0, number.find('\n'));
    env_ = ClientEnvironment(name_);
    return Run({"xdotool", "getdisplaygeometry"}).has_value();
}

// A window manager answers wmctrl early in its start-up, and a window mapped before the start-up ends
// can be lost: openbox under load left the program's window unmapped and unmanaged for good. So the
// manager counts as up once it manages a window of ours, a small xmessage, started anew each few
// seconds until one is managed (a lost one never will be).
bool VirtualDisplay::StartWindowManager(ChildProcess& wm, const std::vector<std::string>& command,
                                        const std::string& logPath)
{
    if (!wm.Start(command, env_, logPath))
        return false;
    const std::string title = "window manager probe";
    const long long start = NowMs();
    while (NowMs() - start <= kWaitMs) {
        ChildProcess probe;
        if (!probe.Start({"xmessage", "-title", title, title}, env_, logPath + ".probe"))
            return false;
        for (const long long shown = NowMs(); NowMs() - shown < kProbeMs; SleepMs(kPollMs))
            if (Run({"wmctrl", "-l"}).value_or("").find(title) != std::string::npos) {
                windowManager_ = true;
                return true;
            }
    }
    return false;
}

namespace {

// The words of an environment variable, split at spaces; none when it is unset.
std::vector<std::string> CommandIn(const char* variable)
{
    std::vector<std::string> argv;
    std::istringstream words(std::getenv(variable) != nullptr ? std::getenv(variable) : "");
    for (std::string word; words >> word;)
        argv.push_back(word);
    return argv;
}

}  // namespace

std::vector<std::string> ProgramCommand(const std::string& builtBinary)
{
    std::vector<std::string> argv = CommandIn("TIRVOK3_COMMAND");
    return argv.empty() ? std::vector<std::string>{builtBinary} : argv;
}

std::vector<std::string> WindowManagerCommand() { return CommandIn("TIRVOK3_WINDOW_MANAGER"); }

std::vector<std::string> ProbeCommand() { return CommandIn("TIRVOK3_PROBE"); }

std::string ProgramWindow::Log() const
{
    QFile log(scratch_.filePath("program.log"));
    return log.open(QIODevice::ReadOnly) ? log.readAll().toStdString() : std::string();
}

bool ProgramWindow::Start(const std::vector<std::string>& command, const std::vector<std::string>& extraEnv)
{
    std::vector<std::string> env = display_.ClientEnv();
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    if (!scratch_.isValid() || !program_.Start(command, env, scratch_.filePath("program.log").toStdString()))
        return false;
    // --onlyvisible: mapped. Wine may put a new X window in the place of the first one it mapped, so the
    // search goes on until the window found can be located. A window manager may still move it after
    // that (Placed, Shot).
    // A search also fails when a window it looks at goes away meanwhile (BadWindow: the window manager's
    // probe, or one of Wine's passing windows), so a failed search is looked at again.
    for (const long long start = NowMs(); NowMs() - start <= kWaitMs; PollPause()) {
        const auto ids = display_.Run({"xdotool", "search", "--sync", "--onlyvisible", "--name", "^Tirvok 3$"});
        if (!ids || ids->empty())
            continue;
        id_ = ids->substr(0, ids->find('\n'));
        if (Locate())
            return true;
    }
    return false;
}

bool ProgramWindow::Active() const
{
    if (!display_.HasWindowManager())
        return true;
    const auto active = display_.Run({"xdotool", "getactivewindow"});
    return active && active->substr(0, active->find('\n')) == id_;
}

bool ProgramWindow::Minimised() const
{
    if (!display_.HasWindowManager())
        return true;
    return display_.Run({"xprop", "-id", id_, "WM_STATE"}).value_or("").find("Iconic") != std::string::npos;
}

bool ProgramWindow::Placed()
{
    if (!display_.HasWindowManager())
        return true;
    const std::string state = display_.Run({"xprop", "-id", id_, "_NET_WM_STATE"}).value_or("");
    return state.find("_NET_WM_STATE_MAXIMIZED_HORZ") != std::string::npos &&
           state.find("_NET_WM_STATE_MAXIMIZED_VERT") != std::string::npos;
}

// xwininfo gives the client window's own place on the screen, also when a window manager has
// put it into a decorated frame.
bool ProgramWindow::Locate()
{
    const auto info = display_.Run({"xwininfo", "-id", id_});
    if (!info)
        return false;
    std::istringstream lines(*info);
    int x = -1, y = -1, w = 0, h = 0;
    for (std::string line; std::getline(lines, line);) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string key = line.substr(0, colon);
        const int value = std::atoi(line.c_str() + colon + 1);
        if (key.ends_with("Absolute upper-left X"))
            x = value;
        if (key.ends_with("Absolute upper-left Y"))
            y = value;
        if (key.ends_with("Width"))
            w = value;
        if (key.ends_with("Height"))
            h = value;
    }
    origin_ = QPoint(x, y);
    size_ = QSize(w, h);
    return x >= 0 && y >= 0 && w > 0 && h > 0;
}

void ProgramWindow::Xdotool(std::vector<std::string> args) const
{
    args.insert(args.begin(), "xdotool");
    if (!display_.Run(args))
        ADD_FAILURE() << "xdotool " << args[1] << " failed";
}

void ProgramWindow::MoveTo(QPoint client) const
{
    const QPoint p = ToScreen(client);
    Xdotool({"mousemove", std::to_string(p.x()), std::to_string(p.y())});
}

void ProgramWindow::Press(int button) const { Xdotool({"mousedown", std::to_string(button)}); }

void ProgramWindow::Release(int button) const { Xdotool({"mouseup", std::to_string(button)}); }

void ProgramWindow::Click(QPoint client, int button) const
{
    const QPoint p = ToScreen(client);
    Xdotool({"mousemove", std::to_string(p.x()), std::to_string(p.y()), "click", std::to_string(button)});
}

WindowShot ProgramWindow::Shot()
{
    const QString path = scratch_.filePath("shot.png");
    QFile::remove(path);
    if (!Locate())
        return {};
    const QRect before(origin_, size_);
    if (!display_.Run({"import", "-window", "root", path.toStdString()}) || !Locate() ||
        QRect(origin_, size_) != before)
        return {};
    return {QImage(path).convertToFormat(QImage::Format_RGB32), before};
}
