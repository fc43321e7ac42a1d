#include "startup.h"

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

struct THeldMessage {
    QtMsgType type;
    QString category;
    QString text;
};

std::vector<THeldMessage>& Held()
{
    static std::vector<THeldMessage> held;
    return held;
}

}  // namespace

TStartupGuard::TStartupGuard() : previous_(qInstallMessageHandler(&TStartupGuard::Handler)) {}

TStartupGuard::~TStartupGuard()
{
    qInstallMessageHandler(previous_);
    // Start-up went through: what Qt said on the way (say, a missing Wayland plugin before it fell
    // back to X11) still reaches the user, as Qt would have printed it.
    for (const THeldMessage& m : std::exchange(Held(), {})) {
        const QByteArray category = m.category.toUtf8();
        const QMessageLogContext context(nullptr, 0, nullptr, category.isEmpty() ? nullptr : category.constData());
        qt_message_output(m.type, context, m.text);
    }
}

QString TStartupGuard::NoDisplayText(const QString& platform)
{
    if (!platform.isEmpty())
        return QString("tirvok3: the Qt platform \"%1\" set in QT_QPA_PLATFORM could not be started; "
                       "unset it or name one that works here (xcb, wayland, offscreen).")
            .arg(platform);
    return "tirvok3: no display: neither X11 nor Wayland could be opened. Run it inside a graphical "
           "session (DISPLAY or WAYLAND_DISPLAY set); on a Wayland-only desktop install qt6-wayland.";
}

void TStartupGuard::Handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        const QString line = NoDisplayText(qEnvironmentVariable("QT_QPA_PLATFORM"));
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        std::fflush(stderr);
        std::_Exit(1);  // Qt would abort next; nothing is open yet that needs an orderly end
    }
    Held().push_back({type, QString::fromUtf8(context.category ? context.category : ""), message});
}
