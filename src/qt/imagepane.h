#pragma once

#include "render/raster.h"
#include "scene/editing.h"

#include <QImage>
#include <QWidget>

#include <vector>

// A fixed-size pane raster shown in the window, reporting mouse events in pane pixels.
// Qt grabs the pointer for the pane that got a press until every button is up, so a drag
// that leaves the pane keeps reporting here, with coordinates outside it.
class TImagePane : public QWidget {
    Q_OBJECT

public:
    TImagePane(const QString& name, int left, int top, int width, int height, QWidget* parent);

    // The pane's pixels, for the engine to draw on.
    TRaster Raster() { return pixels_.Raster(); }
    // The same pixels as an image (no copy): what the pane shows at its next repaint.
    const QImage& Image() const { return image_; }

    // Schedules a repaint when the pixels differ from what the pane last showed; an unchanged frame
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
    TPaneImage pixels_;
    QImage image_;                      // wraps pixels_' words
    std::vector<std::uint32_t> shown_;  // the words as last scheduled for painting
};
