#include "imagepane.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// The keyboard pointer's cross reaches this many pixels from its centre, in the pane's own pixels.
constexpr int kCrossArm = 4;

}  // namespace

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
    setFocusPolicy(Qt::StrongFocus);
}

void TImagePane::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
    if (!ShowsKeyboardPointer())
        return;
    // An inverting cross shows on every colour the views draw.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(Qt::white);
    const QPoint c = keyboardPointer_;
    painter.drawLine(c.x() - kCrossArm, c.y(), c.x() + kCrossArm, c.y());
    painter.drawLine(c.x(), c.y() - kCrossArm, c.x(), c.y() - 1);
    painter.drawLine(c.x(), c.y() + 1, c.x(), c.y() + kCrossArm);
}

void TImagePane::SetKeyboardPointer(QPoint at)
{
    if (at == keyboardPointer_)
        return;
    keyboardPointer_ = at;
    if (ShowsKeyboardPointer())
        update();
}

void TImagePane::KeyboardUsed()
{
    if (!keyboardUsed_ && hasFocus())
        update();
    keyboardUsed_ = true;
}

void TImagePane::mousePressEvent(QMouseEvent* e)
{
    if (keyboardUsed_)
        update();
    keyboardUsed_ = false;
    e->ignore();  // the window hands the press to the input model
}

void TImagePane::focusInEvent(QFocusEvent* e)
{
    keyboardUsed_ = e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason;
    update();
    QWidget::focusInEvent(e);
}

void TImagePane::focusOutEvent(QFocusEvent* e)
{
    update();
    QWidget::focusOutEvent(e);
}
