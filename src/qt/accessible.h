#pragma once

#include <QString>

class QAbstractButton;
class QWidget;

// The widget holding the tool buttons, which screen readers call "Araçlar"; it draws nothing.
inline constexpr char kToolGroupName[] = "Araclar";
// Set (true) on each readout label.
inline constexpr char kReadoutProperty[] = "tirvokReadout";

// What screen readers are told about the main window, through Qt's accessibility (AT-SPI on Linux):
// the window a frame, the panes graphics, the tools toggle buttons with a pressed state, the readouts
// named by what they measure and their value.
void InstallAccessibility();

// Makes Qt ask again what `widget` is for screen readers, once it is built and named.
void Reconsider(QWidget* widget);
// Tells screen readers when a tool goes down or up.
void WatchTool(QAbstractButton* button);

// Tells screen readers that a readout's value (and so its spoken name) changed.
void ReadoutChanged(QWidget* readout);

// A notification child of the window: one sentence for screen readers, shown nowhere (no size).
class TAnnouncer {
public:
    explicit TAnnouncer(QWidget* window);

    // Says `text` once; an empty text says nothing.
    void Announce(const QString& text);

private:
    QWidget* notice_;
};
