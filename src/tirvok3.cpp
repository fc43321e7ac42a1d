#include "birim1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tirvok3");
    TForm1 Form1;
    Form1.show();
    return app.exec();
}
