#include "imagepane.h"

#include <QPainter>

TImagePane::TImagePane(const QString& name, int left, int top, int width, int height, QWidget* parent)
    : QWidget(parent),
      pixels_(width, height),
      image_(reinterpret_cast<const uchar*>(pixels_.Data()), width, height, width * 4, QImage::Format_RGB32)
{
    setObjectName(name);
    setGeometry(left, top, width, height);
    setFixedSize(width, height);
    // The image covers every pixel, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Moves with no button pass on to the window as well (see TForm1).
    setMouseTracking(true);
}

void TImagePane::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}
