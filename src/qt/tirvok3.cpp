#include "birim1.h"
#include "startup.h"

#include <QApplication>

#include <optional>

int main(int argc, char* argv[])
{
    std::optional<TStartupGuard> guard(std::in_place);
    QApplication app(argc, argv);
    guard.reset();
    QApplication::setApplicationName(QString::fromUtf8(kForm1.applicationTitle));
    QGuiApplication::setDesktopFileName(TIRVOK_APP_ID);
    TForm1 Form1;
    Form1.show();
    return app.exec();
}
