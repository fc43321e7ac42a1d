#include "xsession.h"

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

inline constexpr int kFirstDisplay = 90;
inline constexpr int kLastDisplay = 99;
inline constexpr int kPollMs = 20;
inline constexpr int kStopGraceMs = 2'000;
// Six frames of the program's 40 ms timer.
inline constexpr int kSettleMs = 240;
inline constexpr int kExecFailed = 127;

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

// Starts argv with env, standard output and error going to outFd and errFd. The child is sent
// SIGTERM when the test process dies, so no X server or program outlives a crashed test.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, int outFd, int errFd)
{
    std::vector<char*> args = CStrings(argv);
    std::vector<char*> envp = CStrings(env);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0)
        return pid;  // the parent, or -1
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        _exit(kExecFailed);
    dup2(outFd, STDOUT_FILENO);
    dup2(errFd, STDERR_FILENO);
    execvpe(args[0], args.data(), envp.data());
    _exit(kExecFailed);
}

// Waits for pid until deadlineMs, then kills it; true when it exited by itself with status 0.
bool ReapBy(pid_t pid, long long deadlineMs)
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
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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

long long NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::optional<std::string> RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                                      int timeoutMs)
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
    if (!ReapBy(pid, deadline))
        return std::nullopt;
    return out;
}

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         const std::string& logPath)
{
    Stop();
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log < 0)
        return false;
    pid_ = Spawn(argv, env, log, log);
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

void ChildProcess::Stop()
{
    if (!Running())
        return;
    kill(pid_, SIGTERM);
    ReapBy(pid_, NowMs() + kStopGraceMs);
    pid_ = -1;
}

bool VirtualDisplay::Start(const std::string& scratchDir, const std::string& geometry)
{
    for (int n = kFirstDisplay; n <= kLastDisplay; ++n) {
        const std::string number = std::to_string(n);
        const std::string name = ":" + number;
        // Someone else's server holds this number.
        if (std::filesystem::exists("/tmp/.X" + number + "-lock") ||
            std::filesystem::exists("/tmp/.X11-unix/X" + number))
            continue;
        env_ = ClientEnvironment(name);
        // -noreset: a server resets when its last client leaves, and a client connecting meanwhile fails.
        if (!server_.Start({"Xvfb", name, "-nolisten", "tcp", "-noreset", "-screen", "0", geometry}, env_,
                           scratchDir + "/xvfb.log"))
            return false;
        const long long start = NowMs();
        // A server that lost the race for this number exits at once; try the next one then.
        while (server_.Running() && NowMs() - start < kWaitMs) {
            if (Run({"xdotool", "getdisplaygeometry"}))
                return true;
            SleepMs(kPollMs);
        }
        server_.Stop();
    }
    return false;
}

bool VirtualDisplay::StartWindowManager(ChildProcess& wm, const std::vector<std::string>& command,
                                        const std::string& logPath) const
{
    if (!wm.Start(command, env_, logPath))
        return false;
    for (const long long start = NowMs(); !Run({"wmctrl", "-m"}); SleepMs(kPollMs))
        if (NowMs() - start > kWaitMs)
            return false;
    return true;
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
    // --onlyvisible: the window is mapped, so its position is final (there is no window manager).
    const auto ids = display_.Run({"xdotool", "search", "--sync", "--onlyvisible", "--name", "^Tirvok 3$"});
    if (!ids || ids->empty())
        return false;
    id_ = ids->substr(0, ids->find('\n'));
    return Locate();
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

QImage ProgramWindow::Shot() const
{
    const QString path = scratch_.filePath("shot.png");
    QFile::remove(path);
    if (!display_.Run({"import", "-window", "root", path.toStdString()}))
        return {};
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

QImage ProgramWindow::SettledShot() const
{
    SleepMs(kSettleMs);
    return Shot();
}

bool ProgramWindow::TimedOut(long long startMs) const { return NowMs() - startMs > kWaitMs; }
