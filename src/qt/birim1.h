#pragma once

#include "accessible.h"
#include "readoutformat.h"
#include "render/announce.h"
#include "render/layout.h"
#include "render/readout.h"
#include "scene/editing.h"
#include "scene/scene.h"

#include <QWidget>

#include <array>
#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QStyle;
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
    TTool CurrentTool() const;
    // Puts one tool down (raising the others) or, with TTool::None, raises them all.
    void SetTool(TTool tool);

    // One frame: plan views, projection, 3D view, readouts, then the panes whose image changed repaint.
    void SaatTimer();

private:
    void FormCreate();
    void MakeControl(const TControlSpec& spec);
    void ConnectPlanPane(TImagePane* pane, TPlanView view);

    void EkranXYMouseDown(TMouseButton button, int x, int y);
    void EkranXYMouseMove(int x, int y);
    void EkranXYMouseUp(TMouseButton button, int x, int y);
    void EkranXZMouseDown(TMouseButton button, int x, int y);
    void EkranXZMouseMove(int x, int y);
    void EkranXZMouseUp(TMouseButton button, int x, int y);
    void EkranYZMouseDown(TMouseButton button, int x, int y);
    void EkranYZMouseMove(int x, int y);
    void EkranYZMouseUp(TMouseButton button, int x, int y);

    void PlanDown(TPlanView view, TMouseButton button, int x, int y);
    void PlanMove(TPlanView view, TImagePane* pane, int x, int y);
    void PlanUp(TPlanView view, TMouseButton button);
    void WriteReadouts();

    std::unique_ptr<TScene> scene_;
    TReadoutFormat readoutFormat_;  // the system locale, read when the window is made

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
};
