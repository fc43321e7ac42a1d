#include "imagepane.h"

#include "render/canvas.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

TMouseButton ButtonOf(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton: return TMouseButton::Left;
    case Qt::RightButton: return TMouseButton::Right;
    case Qt::MiddleButton: return TMouseButton::Middle;
    default: return TMouseButton::Other;
    }
}

int PaneX(const QMouseEvent* e) { return PanePixel(e->position().x()); }
int PaneY(const QMouseEvent* e) { return PanePixel(e->position().y()); }

}  // namespace

TImagePane::TImagePane(const QString& name, int left, int top, int width, int height, QWidget* parent)
    : QWidget(parent),
      pixels_(width, height),
      image_(reinterpret_cast<const uchar*>(pixels_.Data()), width, height, width * 4, QImage::Format_RGB32),
      shown_(pixels_.Words())
{
    setObjectName(name);
    setGeometry(left, top, width, height);
    setFixedSize(width, height);
    // The image covers every pixel, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImagePane::ShowChanges()
{
    if (pixels_.Words() == shown_)
        return;
    shown_ = pixels_.Words();
    update();
}

void TImagePane::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

// A double click's second press arrives through QWidget's default handler as an ordinary press.
void TImagePane::mousePressEvent(QMouseEvent* e) { emit MouseDown(ButtonOf(e->button()), PaneX(e), PaneY(e)); }

void TImagePane::mouseMoveEvent(QMouseEvent* e) { emit MouseMove(PaneX(e), PaneY(e)); }

void TImagePane::mouseReleaseEvent(QMouseEvent* e) { emit MouseUp(ButtonOf(e->button()), PaneX(e), PaneY(e)); }
