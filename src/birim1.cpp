#include "birim1.h"

#include "imagepane.h"
#include "render/frame.h"
#include "render/readout.h"

#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

namespace {

inline constexpr int kPaneSize = 200;
inline constexpr int kToolLeft = 424;
inline constexpr int kToolWidth = 137;
inline constexpr int kToolHeight = 22;
inline constexpr int kLabelWidth = 32;
inline constexpr int kLabelHeight = 13;
inline constexpr int kFontPixels = 11;
inline constexpr QColor kSilver{192, 192, 192};
inline constexpr QColor kFontBlue{0, 0, 255};
inline constexpr QColor kHighlight{0, 0, 128};
inline constexpr QColor kToolTipFace{255, 255, 225};

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
    QPalette look(kSilver, kSilver);  // face and window; bevels, base and text derived from them
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        look.setColor(group, QPalette::WindowText, kFontBlue);
        look.setColor(group, QPalette::ButtonText, kFontBlue);
        look.setColor(group, QPalette::Text, Qt::black);
        look.setColor(group, QPalette::Base, Qt::white);
        look.setColor(group, QPalette::Highlight, kHighlight);
        look.setColor(group, QPalette::HighlightedText, Qt::white);
        look.setColor(group, QPalette::ToolTipBase, kToolTipFace);
        look.setColor(group, QPalette::ToolTipText, Qt::black);
    }
    return look;
}

// What a screen reader says for a pane: which view it is and which axes it shows.
struct TPaneWords {
    const char* name;
    const char* description;
};

constexpr TPaneWords kWords3B{"3B görünüm",
                              "Kameranın gördüğü sahne, tel kafes: sağa azimut, yukarı yükseliş, 90 derece"};
constexpr TPaneWords kWordsXY{"XY görünümü, üstten", "Üstten bakış: sağa X, yukarı Y; kamera, odak ve prizmalar"};
constexpr TPaneWords kWordsXZ{"XZ görünümü, önden", "Önden bakış: sağa X, yukarı Z; kamera ve odak"};
constexpr TPaneWords kWordsYZ{"YZ görünümü, yandan", "Yandan bakış: sağa Y, yukarı Z; kamera ve odak"};

void Describe(QWidget* pane, const TPaneWords& words)
{
    pane->setAccessibleName(QString::fromUtf8(words.name));
    pane->setAccessibleDescription(QString::fromUtf8(words.description));
}

struct TLabelPlace {
    int left;
    int top;
};

// Two columns of eight, as they stand in the window.
// clang-format off
constexpr std::array<TLabelPlace, kReadouts> kLabelPlaces{{
    {432, 152}, {432, 176}, {432, 200}, {432, 248}, {432, 272}, {432, 296}, {432, 344}, {432, 368},
    {568, 152}, {568, 184}, {568, 216}, {568, 248}, {568, 280}, {568, 312}, {568, 344}, {568, 376},
}};
// clang-format on

// Labels keep their left and top and grow to fit their text, never narrower than laid out.
void FitWidth(QLabel* label, int laidOutWidth)
{
    const int width = std::max(laidOutWidth, label->fontMetrics().horizontalAdvance(label->text()));
    label->resize(width, label->height());
}

QLabel* MakeLabel(const QString& name, const QString& caption, QRect place, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(place);
    FitWidth(label, place.width());
    return label;
}

// A readout's visible text is the bare value; a screen reader hears what it measures as its name
// and the value as its description.
void SetCaption(QLabel* label, const QString& text)
{
    if (label->text() == text)
        return;
    label->setText(text);
    label->setAccessibleDescription(text);
    FitWidth(label, kLabelWidth);
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent), scene_(std::make_unique<TScene>())
{
    setObjectName("Form1");
    setWindowTitle("Tirvok 3");
    setWindowIcon(WindowIcon());
    move(141, 139);
    resize(870, 640);
    setWindowState(Qt::WindowMaximized);

    QFont font("MS Sans Serif");
    font.setPixelSize(kFontPixels);
    setFont(font);
    setPalette(LightLook());
    setAutoFillBackground(true);

    EkranXY = new TImagePane("EkranXY", 220, 18, kPaneSize, kPaneSize, this);
    EkranYZ = new TImagePane("EkranYZ", 220, 238, kPaneSize, kPaneSize, this);
    EkranXZ = new TImagePane("EkranXZ", 2, 238, kPaneSize, kPaneSize, this);
    Ekran3B = new TImagePane("Ekran3B", 2, 18, kPaneSize, kPaneSize, this);
    Describe(Ekran3B, kWords3B);
    Describe(EkranXY, kWordsXY);
    Describe(EkranXZ, kWordsXZ);
    Describe(EkranYZ, kWordsYZ);
    MakeLabel("LEkran3B", "Ekran3B", {8, 0, 41, 13}, this);
    MakeLabel("LEkranXY", "EkranXY", {224, 0, 42, 13}, this);
    MakeLabel("LEkranXZ", "EkranXZ", {8, 224, 42, 13}, this);
    MakeLabel("LEkranYZ", "EkranYZ", {224, 224, 42, 13}, this);

    // At most one tool is down; pressing the one that is down raises it.
    tools_ = new QActionGroup(this);
    tools_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    BPrizma = MakeToolButton("BPrizma", "Prizma Ekle", 64, TTool::Prizma);
    BKamera = MakeToolButton("BKamera", "Kamera", 16, TTool::Kamera);
    toolActions_[std::size_t(TTool::Kamera)]->setToolTip("Kamera ekle");
    BOdak = MakeToolButton("BOdak", "Odak Noktası", 40, TTool::Odak);
    for (int i = 0; i < kReadouts; ++i) {
        const QString caption = QString("Label%1").arg(i % 8 + 1);
        const QRect place(kLabelPlaces[std::size_t(i)].left, kLabelPlaces[std::size_t(i)].top, kLabelWidth,
                          kLabelHeight);
        QLabel* label = MakeLabel(QString("Label%1").arg(i + 1), caption, place, this);
        // Values read left to right whatever the layout direction or the separator's script.
        label->setAlignment(Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignVCenter);
        label->setAccessibleName(QString::fromUtf8(kReadoutNames[std::size_t(i)]));
        labels_[std::size_t(i)] = label;
    }
    BSonPrizma = MakeToolButton("BSonPrizma", "Son Prizmayı Düzenle", 88, TTool::SonPrizma);

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
}

QToolButton* TForm1::MakeToolButton(const QString& name, const QString& caption, int top, TTool tool)
{
    auto* action = new QAction(caption, tools_);
    action->setCheckable(true);
    toolActions_[std::size_t(tool)] = action;
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setDefaultAction(action);
    button->setGeometry(kToolLeft, top, kToolWidth, kToolHeight);
    return button;
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
    DrawFrame(*scene_, {EkranXY->Image(), EkranXZ->Image(), EkranYZ->Image(), Ekran3B->Image()});
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

void TForm1::PlanUp(TPlanView view, TMouseButton button) { SetTool(PlanMouseUp(*scene_, view, button, CurrentTool())); }

void TForm1::EkranXYMouseDown(TMouseButton b, int x, int y) { PlanDown(TPlanView::XY, b, x, y); }
void TForm1::EkranXYMouseMove(int x, int y) { PlanMove(TPlanView::XY, EkranXY, x, y); }
void TForm1::EkranXYMouseUp(TMouseButton b, int, int) { PlanUp(TPlanView::XY, b); }
void TForm1::EkranXZMouseDown(TMouseButton b, int x, int y) { PlanDown(TPlanView::XZ, b, x, y); }
void TForm1::EkranXZMouseMove(int x, int y) { PlanMove(TPlanView::XZ, EkranXZ, x, y); }
void TForm1::EkranXZMouseUp(TMouseButton b, int, int) { PlanUp(TPlanView::XZ, b); }
void TForm1::EkranYZMouseDown(TMouseButton b, int x, int y) { PlanDown(TPlanView::YZ, b, x, y); }
void TForm1::EkranYZMouseMove(int x, int y) { PlanMove(TPlanView::YZ, EkranYZ, x, y); }
void TForm1::EkranYZMouseUp(TMouseButton b, int, int) { PlanUp(TPlanView::YZ, b); }
