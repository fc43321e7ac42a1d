#pragma once

#include "accessible.h"
#include "render/announce.h"
#include "render/frame.h"
#include "render/layout.h"
#include "scene/input.h"
#include "scene/scene.h"

#include <QWidget>

#include <array>
#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QStyle;
class QKeyEvent;
class QMouseEvent;
class QTimer;
class QToolButton;
class TImagePane;

// The main window: four view panes, four tool buttons, sixteen readouts and the frame timer.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    TScene& Scene() { return *scene_; }

    // The tool button that is down, if any.
    TTool CurrentTool() const { return input_.Tool(); }
    // Puts one tool down (raising the others) or, with TTool::None, raises them all.
    void SetTool(TTool tool);

    // One frame: plan views, projection, 3D view, readouts, then the panes whose image changed repaint.
    void SaatTimer();

protected:
    // Presses anywhere on the window but a tool button arrive here (the panes pass theirs on), and Qt
    // keeps sending to the window until every button is up.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Keys of a focused plan pane arrive here (the panes pass them on).
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // Tab and Shift+Tab: the keyboard is in use, so a plan view it reaches shows its keyboard pointer.
    bool focusNextPrevChild(bool next) override;
    // Return on a tool button clicks it, as Space does.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Deactivation and hiding end any drag.
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FormCreate();
    void MakeControl(const TControlSpec& spec);
    // Hands a mouse event to the input model, then mirrors the tool it leaves down.
    void Pointer(TPointerPhase phase, const QMouseEvent* event);
    // Hands a key of the focused plan pane to the input model; false when it is none of the model's.
    bool Key(const QKeyEvent* event, bool down);
    // Shows the input model's tool in the buttons and each plan pane's keyboard pointer.
    void MirrorTool();

    std::unique_ptr<TScene> scene_;
    TInput input_{*scene_, kPaneSize, kPaneSize};
    TTick tick_;  // readouts with the system locale's separator

    TImagePane* EkranXY = nullptr;
    TImagePane* EkranYZ = nullptr;
    TImagePane* EkranXZ = nullptr;
    TImagePane* Ekran3B = nullptr;
    QActionGroup* tools_ = nullptr;
    std::array<QAction*, 5> toolActions_{};  // indexed by TTool; None has no action
    QToolButton* BPrizma = nullptr;
    QToolButton* BKamera = nullptr;
    QToolButton* BOdak = nullptr;
    QToolButton* BSonPrizma = nullptr;
    std::array<QLabel*, kReadouts> labels_{};  // Label1..Label16
    QTimer* Saat = nullptr;
    QWidget* toolGroup_ = nullptr;        // holds the tool buttons, for screen readers only
    QStyle* toolStyle_ = nullptr;         // the tools' captions in every state
    std::unique_ptr<TAnnouncer> notice_;  // says what an edit changed
    TEditAnnouncer announcer_;
    QMetaObject::Connection focusWatch_;  // a plan pane losing the keyboard lets its keys' buttons go
};
