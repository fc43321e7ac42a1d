#pragma once

#include "render/raster.h"

#include <QImage>
#include <QWidget>

// A fixed-size pane raster shown in the window. It takes no mouse input itself: presses, moves and
// releases go on to the main window, which hands them to the engine's input model.
class TImagePane : public QWidget {
    Q_OBJECT

public:
    TImagePane(const QString& name, int left, int top, int width, int height, QWidget* parent);

    // The pane's pixels, for the engine to draw on.
    TRaster Raster() { return pixels_.Raster(); }
    // The same pixels as an image (no copy): what the pane shows at its next repaint.
    const QImage& Image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TPaneImage pixels_;
    QImage image_;  // wraps pixels_' words
};
