#include "birim1.h"

#include "imagepane.h"
#include "render/frame.h"
#include "render/readout.h"

#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionToolButton>
#include <QTimer>
#include <QToolButton>

namespace {

inline constexpr QColor kHighlight{0, 0, 128};
inline constexpr QColor kToolTipFace{255, 255, 225};

QColor ToQColor(TColor c) { return QColor(int(RedOf(c)), int(GreenOf(c)), int(BlueOf(c))); }

// The program's icon in the sizes a window manager, taskbar and switcher ask for, from the resources.
QIcon WindowIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 128, 256})
        icon.addFile(QString(":/icons/%1-%2.png").arg(TIRVOK_APP_ID).arg(size), QSize(size, size));
    return icon;
}

// The window's own light look, complete in every role a style paints buttons with, so a dark system
// palette or theme never puts the blue captions on a dark face.
QPalette LightLook()
{
    const QColor face = ToQColor(kForm1.face);
    QPalette look(face, face);  // face and window; bevels, base and text derived from them
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        look.setColor(group, QPalette::WindowText, ToQColor(kForm1.fontColour));
        look.setColor(group, QPalette::ButtonText, ToQColor(kForm1.fontColour));
        look.setColor(group, QPalette::Text, Qt::black);
        look.setColor(group, QPalette::Base, Qt::white);
        look.setColor(group, QPalette::Highlight, kHighlight);
        look.setColor(group, QPalette::HighlightedText, Qt::white);
        look.setColor(group, QPalette::ToolTipBase, kToolTipFace);
        look.setColor(group, QPalette::ToolTipText, Qt::black);
    }
    return look;
}

// The tools as the style draws them, but with the caption in navy while down or showing keyboard focus:
// the style darkens and tints the face then, and blue on it would fall below 4.5:1. A mouse user's raised
// tools keep the window's blue.
class TToolStyle : public QProxyStyle {
public:
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        const auto* tool = qstyleoption_cast<const QStyleOptionToolButton*>(option);
        const bool focusShown =
            tool != nullptr && (tool->state & State_HasFocus) && (tool->state & State_KeyboardFocusChange);
        if (control != CC_ToolButton || tool == nullptr || !((tool->state & (State_On | State_Sunken)) || focusShown)) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        QStyleOptionToolButton darker = *tool;
        darker.palette.setColor(QPalette::ButtonText, kHighlight);
        QProxyStyle::drawComplexControl(control, &darker, painter, widget);
    }
};

// Labels keep their left and top and grow to fit their text, never narrower than laid out.
void FitWidth(QLabel* label, int laidOutWidth)
{
    const int width = std::max(laidOutWidth, label->fontMetrics().horizontalAdvance(label->text()));
    label->resize(width, label->height());
}

// The bounds of the tool buttons in the layout.
QRect ToolBounds()
{
    QRect bounds;
    for (const TControlSpec& c : kForm1Controls)
        if (c.kind == TControlKind::Tool)
            bounds |= QRect(c.left, c.top, c.width, c.height);
    return bounds;
}

// A readout's visible text is the bare value; a screen reader hears what it measures and the value.
void SetCaption(QLabel* label, const QString& text)
{
    if (label->text() == text)
        return;
    label->setText(text);
    ReadoutChanged(label);
    FitWidth(label, label->minimumWidth());
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent), scene_(std::make_unique<TScene>())
{
    setObjectName("Form1");
    setWindowTitle(QString::fromUtf8(kForm1.caption));
    setWindowIcon(WindowIcon());
    move(kForm1.left, kForm1.top);
    resize(kForm1.width, kForm1.height);
    setWindowState(Qt::WindowMaximized);

    QFont font(QString::fromUtf8(kForm1.font));
    font.setPixelSize(kForm1.fontPixels);
    setFont(font);
    setPalette(LightLook());
    setAutoFillBackground(true);
    InstallAccessibility();
    notice_ = std::make_unique<TAnnouncer>(this);
    toolGroup_ = new QWidget(this);
    toolGroup_->setObjectName(kToolGroupName);
    toolGroup_->setAccessibleName(QString::fromUtf8("Ara\u00e7lar"));
    toolGroup_->setGeometry(ToolBounds());
    toolStyle_ = new TToolStyle;
    toolStyle_->setParent(this);
    Reconsider(toolGroup_);

    // At most one tool is down; pressing the one that is down raises it.
    tools_ = new QActionGroup(this);
    tools_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const TControlSpec& spec : kForm1Controls)
        MakeControl(spec);

    ConnectPlanPane(EkranXY, TPlanView::XY);
    ConnectPlanPane(EkranXZ, TPlanView::XZ);
    ConnectPlanPane(EkranYZ, TPlanView::YZ);

    Saat = new QTimer(this);
    Saat->setObjectName("Saat");
    Saat->setTimerType(Qt::PreciseTimer);
    Saat->setInterval(kFrameMs);
    connect(Saat, &QTimer::timeout, this, &TForm1::SaatTimer);

    FormCreate();
    Saat->start();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate()
{
    // Qt paints every widget into the window's backing store and shows it in one go, so painting
    // is double-buffered already; keeping WA_PaintOnScreen off keeps it that way.
    setAttribute(Qt::WA_PaintOnScreen, false);
    InitScene(*scene_);
    announcer_.Reset(*scene_);
}

void TForm1::MakeControl(const TControlSpec& spec)
{
    const QString name = QString::fromUtf8(spec.name);
    const QString caption = QString::fromUtf8(spec.caption);
    const QRect place(spec.left, spec.top, spec.width, spec.height);
    QWidget* made = nullptr;
    switch (spec.kind) {
    case TControlKind::Pane: {
        auto* pane = new TImagePane(name, spec.left, spec.top, spec.width, spec.height, this);
        TImagePane** byPane[] = {&EkranXY, &EkranXZ, &EkranYZ, &Ekran3B};  // by TPaneId
        *byPane[std::size_t(spec.pane)] = pane;
        made = pane;
        break;
    }
    case TControlKind::Label:
    case TControlKind::Readout: {
        auto* label = new QLabel(caption, this);
        label->setGeometry(place);
        label->setMinimumWidth(spec.width);
        FitWidth(label, spec.width);
        if (spec.kind == TControlKind::Readout) {
            // Values read left to right whatever the layout direction or the separator's script.
            label->setAlignment(Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignVCenter);
            labels_[std::size_t(spec.readout)] = label;
            label->setProperty(kReadoutProperty, true);
        }
        made = label;
        break;
    }
    case TControlKind::Tool: {
        auto* action = new QAction(caption, tools_);
        action->setCheckable(true);
        if (*spec.tooltip != 0)
            action->setToolTip(QString::fromUtf8(spec.tooltip));
        toolActions_[std::size_t(spec.tool)] = action;
        auto* button = new QToolButton(toolGroup_);
        button->setStyle(toolStyle_);
        button->setDefaultAction(action);
        button->setGeometry(place.translated(-toolGroup_->pos()));
        QToolButton** byTool[] = {nullptr, &BKamera, &BOdak, &BPrizma, &BSonPrizma};  // by TTool
        *byTool[std::size_t(spec.tool)] = button;
        WatchTool(button);
        made = button;
        break;
    }
    }
    made->setObjectName(name);
    if (*spec.accessibleName != 0)
        made->setAccessibleName(QString::fromUtf8(spec.accessibleName));
    if (*spec.accessibleDescription != 0)
        made->setAccessibleDescription(QString::fromUtf8(spec.accessibleDescription));
    Reconsider(made);
}

void TForm1::ConnectPlanPane(TImagePane* pane, TPlanView view)
{
    switch (view) {
    case TPlanView::XY:
        connect(pane, &TImagePane::MouseDown, this, &TForm1::EkranXYMouseDown);
        connect(pane, &TImagePane::MouseMove, this, &TForm1::EkranXYMouseMove);
        connect(pane, &TImagePane::MouseUp, this, &TForm1::EkranXYMouseUp);
        break;
    case TPlanView::XZ:
        connect(pane, &TImagePane::MouseDown, this, &TForm1::EkranXZMouseDown);
        connect(pane, &TImagePane::MouseMove, this, &TForm1::EkranXZMouseMove);
        connect(pane, &TImagePane::MouseUp, this, &TForm1::EkranXZMouseUp);
        break;
    case TPlanView::YZ:
        connect(pane, &TImagePane::MouseDown, this, &TForm1::EkranYZMouseDown);
        connect(pane, &TImagePane::MouseMove, this, &TForm1::EkranYZMouseMove);
        connect(pane, &TImagePane::MouseUp, this, &TForm1::EkranYZMouseUp);
        break;
    }
}

TTool TForm1::CurrentTool() const
{
    const QAction* down = tools_->checkedAction();
    for (std::size_t i = 0; i < toolActions_.size(); ++i)
        if (down != nullptr && toolActions_[i] == down)
            return TTool(i);
    return TTool::None;
}

void TForm1::SetTool(TTool tool)
{
    if (tool != TTool::None) {
        toolActions_[std::size_t(tool)]->setChecked(true);  // the group raises the others
        return;
    }
    if (QAction* down = tools_->checkedAction())
        down->setChecked(false);
}

void TForm1::SaatTimer()
{
    DrawFrame(*scene_, {EkranXY->Raster(), EkranXZ->Raster(), EkranYZ->Raster(), Ekran3B->Raster()});
    WriteReadouts();
    for (TImagePane* pane : {EkranXY, EkranXZ, EkranYZ, Ekran3B})
        pane->ShowChanges();
}

void TForm1::WriteReadouts()
{
    const auto values = ReadoutValues(*scene_);
    for (std::size_t i = 0; i < values.size(); ++i)
        SetCaption(labels_[i], readoutFormat_.Text(values[i]));
}

void TForm1::PlanDown(TPlanView view, TMouseButton button, int x, int y)
{
    PlanMouseDown(*scene_, view, button, x, y, CurrentTool());
}

void TForm1::PlanMove(TPlanView view, TImagePane* pane, int x, int y)
{
    PlanMouseMove(*scene_, view, x, y, pane->width(), pane->height(), CurrentTool());
}

void TForm1::PlanUp(TPlanView view, TMouseButton button)
{
    SetTool(PlanMouseUp(*scene_, view, button, CurrentTool()));
    notice_->Announce(QString::fromStdString(announcer_.Next(*scene_, readoutFormat_.DecimalPoint())));
}

void TForm1::EkranXYMouseDown(TMouseButton b, int x, int y) { PlanDown(TPlanView::XY, b, x, y); }
void TForm1::EkranXYMouseMove(int x, int y) { PlanMove(TPlanView::XY, EkranXY, x, y); }
void TForm1::EkranXYMouseUp(TMouseButton b, int, int) { PlanUp(TPlanView::XY, b); }
void TForm1::EkranXZMouseDown(TMouseButton b, int x, int y) { PlanDown(TPlanView::XZ, b, x, y); }
void TForm1::EkranXZMouseMove(int x, int y) { PlanMove(TPlanView::XZ, EkranXZ, x, y); }
void TForm1::EkranXZMouseUp(TMouseButton b, int, int) { PlanUp(TPlanView::XZ, b); }
void TForm1::EkranYZMouseDown(TMouseButton b, int x, int y) { PlanDown(TPlanView::YZ, b, x, y); }
void TForm1::EkranYZMouseMove(int x, int y) { PlanMove(TPlanView::YZ, EkranYZ, x, y); }
void TForm1::EkranYZMouseUp(TMouseButton b, int, int) { PlanUp(TPlanView::YZ, b); }
