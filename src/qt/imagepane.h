#pragma once

#include "render/raster.h"

#include <QImage>
#include <QWidget>

// A fixed-size pane raster shown in the window. It takes no input itself: mouse and keys go on to the
// main window, which hands them to the engine's input model. While the pane has the keyboard after
// keyboard use, it shows the keyboard pointer over its image (never in the raster).
class TImagePane : public QWidget {
    Q_OBJECT

public:
    TImagePane(const QString& name, int left, int top, int width, int height, QWidget* parent);

    // The pane's pixels, for the engine to draw on.
    TRaster Raster() { return pixels_.Raster(); }
    // The same pixels as an image (no copy): what the pane shows at its next repaint.
    const QImage& Image() const { return image_; }

    // Where the keyboard pointer stands, in pane pixels.
    void SetKeyboardPointer(QPoint at);
    // True while the keyboard pointer is shown: the pane has the focus and the keyboard was used since.
    bool ShowsKeyboardPointer() const { return keyboardUsed_ && hasFocus(); }
    // The keyboard was used in the pane: its pointer shows while the pane keeps the focus.
    void KeyboardUsed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    TPaneImage pixels_;
    QImage image_;  // wraps pixels_' words
    QPoint keyboardPointer_;
    bool keyboardUsed_ = false;
};
