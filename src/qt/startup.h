#pragma once

#include <QtGlobal>

#include <QString>
#include <QStringList>

// Watches Qt's messages while the application object is made: when no display can be opened,
// Qt gives up with a fatal message and an abort; this prints one line saying why and how to fix
// it and exits with status 1 instead. Other messages of that time are held and passed on once
// start-up has gone through.
class TStartupGuard {
public:
    TStartupGuard();
    ~TStartupGuard();
    TStartupGuard(const TStartupGuard&) = delete;
    TStartupGuard& operator=(const TStartupGuard&) = delete;

    // The one line printed when no platform could be started; `platform` is QT_QPA_PLATFORM (may be empty).
    static QString NoDisplayText(const QString& platform);

private:
    static void Handler(QtMsgType type, const QMessageLogContext& context, const QString& message);

    QtMessageHandler previous_ = nullptr;
};
