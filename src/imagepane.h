#pragma once

#include "scene/editing.h"

#include <QImage>
#include <QWidget>

// A fixed-size off-screen image shown in the window, reporting mouse events in pane pixels.
// Qt grabs the pointer for the pane that got a press until every button is up, so a drag
// that leaves the pane keeps reporting here, with coordinates outside it.
class TImagePane : public QWidget {
    Q_OBJECT

public:
    TImagePane(const QString& name, int left, int top, int width, int height, QWidget* parent);

    // The pane's raster, Format_RGB32; draw on it, then update() to show it.
    QImage& Image() { return image_; }
    const QImage& Image() const { return image_; }

    // Schedules a repaint when the image differs from what the pane last showed; an unchanged frame
    // costs no repaint.
    void ShowChanges();

signals:
    void MouseDown(TMouseButton button, int x, int y);
    void MouseMove(int x, int y);
    void MouseUp(TMouseButton button, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage image_;
    QImage shown_;  // a copy of the image as last scheduled for painting
};
