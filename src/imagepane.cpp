#include "imagepane.h"

#include "render/canvas.h"

#include <QMouseEvent>
#include <QPainter>

#include <cstring>

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
    : QWidget(parent), image_(width, height, QImage::Format_RGB32)
{
    setObjectName(name);
    setGeometry(left, top, width, height);
    setFixedSize(width, height);
    image_.fill(Qt::white);
    shown_ = image_.copy();
    // The image covers every pixel, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImagePane::ShowChanges()
{
    const auto bytes = static_cast<std::size_t>(image_.sizeInBytes());
    const bool sameShape = shown_.size() == image_.size() && shown_.format() == image_.format();
    if (sameShape && std::memcmp(image_.constBits(), shown_.constBits(), bytes) == 0)
        return;
    if (sameShape)
        std::memcpy(shown_.bits(), image_.constBits(), bytes);
    else
        shown_ = image_.copy();
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
