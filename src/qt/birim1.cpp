#include "birim1.h"

#include "imagepane.h"
#include "readoutformat.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QProxyStyle>
#include <QStyleOptionToolButton>
#include <QTimer>
#include <QToolButton>

namespace {

inline constexpr QColor kHighlight{0, 0, 128};
inline constexpr QColor kToolTipFace{255, 255, 225};

TMouseButton ButtonOf(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton: return TMouseButton::Left;
    case Qt::RightButton: return TMouseButton::Right;
    case Qt::MiddleButton: return TMouseButton::Middle;
    default: return TMouseButton::Other;
    }
}

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

TForm1::TForm1(QWidget* parent) : QWidget(parent), scene_(std::make_unique<TScene>()), tick_(LocaleDecimalPoint())
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
    // Moves with no button reach the input model too, which ends a drag whose release went astray.
    setMouseTracking(true);
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

    Saat = new QTimer(this);
    Saat->setObjectName("Saat");
    Saat->setTimerType(Qt::PreciseTimer);
    Saat->setInterval(kFrameMs);
    connect(Saat, &QTimer::timeout, this, &TForm1::SaatTimer);

    // The keyboard goes through the work in order: the tools from Kamera, then the plan views.
    QWidget* order[] = {BKamera, BOdak, BPrizma, BSonPrizma, EkranXY, EkranXZ, EkranYZ};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    for (QToolButton* tool : {BKamera, BOdak, BPrizma, BSonPrizma})
        tool->installEventFilter(this);
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget*) {
        if (old == EkranXY || old == EkranXZ || old == EkranYZ) {
            input_.KeysLost();
            MirrorTool();
        }
    });
    BKamera->setFocus();

    FormCreate();
    MirrorTool();
    Saat->start();
}

// The panes lose the focus as the window goes: the watch on them ends first.
TForm1::~TForm1() { disconnect(focusWatch_); }

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
        // The input model keeps the group's rule; the buttons show its state.
        connect(action, &QAction::triggered, this, [this, tool = spec.tool] {
            input_.ClickTool(tool);
            MirrorTool();
        });
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

void TForm1::SetTool(TTool tool)
{
    input_.SetTool(tool);
    MirrorTool();
}

void TForm1::MirrorTool()
{
    if (const std::string said = announcer_.AfterInput(input_, *scene_, tick_.DecimalPoint()); !said.empty())
        notice_->Announce(QString::fromStdString(said));
    TImagePane* planes[] = {EkranXY, EkranXZ, EkranYZ};  // by TPlanView
    for (std::size_t i = 0; i < std::size(planes); ++i) {
        const TPointerAt at = input_.KeyboardPointer(TPlanView(i));
        planes[i]->SetKeyboardPointer({at.x, at.y});
    }
    const TTool tool = input_.Tool();
    if (tool != TTool::None) {
        toolActions_[std::size_t(tool)]->setChecked(true);  // the group raises the others
        return;
    }
    if (QAction* down = tools_->checkedAction())
        down->setChecked(false);
}

void TForm1::SaatTimer()
{
    const TFrameChanges changes =
        tick_.Run(*scene_, {EkranXY->Raster(), EkranXZ->Raster(), EkranYZ->Raster(), Ekran3B->Raster()});
    TImagePane* panes[] = {EkranXY, EkranXZ, EkranYZ, Ekran3B};  // by TPaneId
    for (std::size_t i = 0; i < std::size(panes); ++i)
        if ((changes.panes & (1u << i)) != 0)
            panes[i]->update();
    for (std::size_t i = 0; i < labels_.size(); ++i)
        if ((changes.readouts & (1u << i)) != 0)
            SetCaption(labels_[i], QString::fromStdString(tick_.Readout(int(i))));
}

void TForm1::Pointer(TPointerPhase phase, const QMouseEvent* e)
{
    TPointerEvent event;
    event.phase = phase;
    switch (e->pointingDevice()->type()) {
    case QInputDevice::DeviceType::TouchScreen:
    case QInputDevice::DeviceType::TouchPad: event.kind = TPointerKind::Touch; break;
    case QInputDevice::DeviceType::Stylus:
    case QInputDevice::DeviceType::Airbrush:
    case QInputDevice::DeviceType::Puck: event.kind = TPointerKind::Pen; break;
    default: break;
    }
    // Qt makes these mouse events from the first touch point or the pen alone: one pointer per kind.
    event.id = int(event.kind);
    event.button = ButtonOf(e->button());
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
        if ((e->buttons() & b) != 0)
            event.buttons |= ButtonBit(ButtonOf(b));
    if ((e->buttons() & ~(Qt::LeftButton | Qt::RightButton | Qt::MiddleButton)) != 0)
        event.buttons |= ButtonBit(TMouseButton::Other);
    PlacePointer(event, e->position().x(), e->position().y());  // the panes stand where the table puts them
    input_.Pointer(event);
    MirrorTool();
}

// A double click's second press arrives through QWidget's default handler as an ordinary press.
void TForm1::mousePressEvent(QMouseEvent* e) { Pointer(TPointerPhase::Down, e); }
void TForm1::mouseMoveEvent(QMouseEvent* e) { Pointer(TPointerPhase::Move, e); }
void TForm1::mouseReleaseEvent(QMouseEvent* e) { Pointer(TPointerPhase::Up, e); }

bool TForm1::Key(const QKeyEvent* e, bool down)
{
    TImagePane* planes[] = {EkranXY, EkranXZ, EkranYZ};  // by TPlanView
    const auto pane = std::find(std::begin(planes), std::end(planes), focusWidget());
    TKey key;
    switch (e->key()) {
    case Qt::Key_Left: key = TKey::ArrowLeft; break;
    case Qt::Key_Right: key = TKey::ArrowRight; break;
    case Qt::Key_Up: key = TKey::ArrowUp; break;
    case Qt::Key_Down: key = TKey::ArrowDown; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: key = TKey::Return; break;
    case Qt::Key_Space: key = TKey::Space; break;
    case Qt::Key_Escape: key = TKey::Escape; break;
    default: return false;
    }
    if (pane == std::end(planes))
        return false;
    (*pane)->KeyboardUsed();
    input_.Key(TPlanView(pane - std::begin(planes)), key, down, (e->modifiers() & Qt::ShiftModifier) != 0,
               e->isAutoRepeat());
    MirrorTool();
    return true;
}

void TForm1::keyPressEvent(QKeyEvent* e)
{
    if (!Key(e, true))
        QWidget::keyPressEvent(e);
}

void TForm1::keyReleaseEvent(QKeyEvent* e)
{
    if (!Key(e, false))
        QWidget::keyReleaseEvent(e);
}

bool TForm1::focusNextPrevChild(bool next)
{
    const bool moved = QWidget::focusNextPrevChild(next);
    for (TImagePane* pane : {EkranXY, EkranXZ, EkranYZ}) {
        if (pane == focusWidget())
            pane->KeyboardUsed();
        pane->update();  // the one that had the keyboard hides its pointer
    }
    return moved;
}

bool TForm1::eventFilter(QObject* watched, QEvent* e)
{
    const bool returnKey = e->type() == QEvent::KeyPress && (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Return ||
                                                             static_cast<QKeyEvent*>(e)->key() == Qt::Key_Enter);
    if (returnKey && !static_cast<QKeyEvent*>(e)->isAutoRepeat()) {
        static_cast<QToolButton*>(watched)->click();
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void TForm1::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::ActivationChange && !isActiveWindow()) {
        input_.Cancel();
        MirrorTool();
    }
    QWidget::changeEvent(e);
}

void TForm1::hideEvent(QHideEvent* e)
{
    input_.Cancel();
    MirrorTool();
    QWidget::hideEvent(e);
}
