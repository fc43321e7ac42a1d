// The main window as it opens: layout, look, tool group, frame timer and readouts.
#include "form_fixture.h"

#include "readoutformat.h"

#include <QAccessible>
#include <QImage>

#include <cmath>
#include <cstdio>

namespace {

struct TPlace {
    const char* name;
    int left;
    int top;
    int width;
    int height;
};

constexpr TPlace kPanes[] = {
    {"EkranXY", 220, 18, 200, 200},
    {"EkranYZ", 220, 238, 200, 200},
    {"EkranXZ", 2, 238, 200, 200},
    {"Ekran3B", 2, 18, 200, 200},
};

constexpr TPlace kButtons[] = {
    {"BKamera", 424, 16, 137, 22},
    {"BOdak", 424, 40, 137, 22},
    {"BPrizma", 424, 64, 137, 22},
    {"BSonPrizma", 424, 88, 137, 22},
};

constexpr TPlace kLabels[] = {
    {"LEkran3B", 8, 0, 41, 13},     {"LEkranXY", 224, 0, 42, 13},  {"LEkranXZ", 8, 224, 42, 13},
    {"LEkranYZ", 224, 224, 42, 13}, {"Label1", 432, 152, 32, 13},  {"Label2", 432, 176, 32, 13},
    {"Label3", 432, 200, 32, 13},   {"Label4", 432, 248, 32, 13},  {"Label5", 432, 272, 32, 13},
    {"Label6", 432, 296, 32, 13},   {"Label7", 432, 344, 32, 13},  {"Label8", 432, 368, 32, 13},
    {"Label9", 568, 152, 32, 13},   {"Label10", 568, 184, 32, 13}, {"Label11", 568, 216, 32, 13},
    {"Label12", 568, 248, 32, 13},  {"Label13", 568, 280, 32, 13}, {"Label14", 568, 312, 32, 13},
    {"Label15", 568, 344, 32, 13},  {"Label16", 568, 376, 32, 13},
};

const char* const kToolNames[] = {"BKamera", "BOdak", "BPrizma", "BSonPrizma"};
constexpr TTool kTools[] = {TTool::Kamera, TTool::Odak, TTool::Prizma, TTool::SonPrizma};

inline constexpr QRgb kSilver = qRgb(192, 192, 192);
inline constexpr QColor kBlue{0, 0, 255};
inline constexpr int kFrameWaitMs = 2000;

QString LabelName(int i) { return QString("Label%1").arg(i); }

// Where the Y axis end lands in a 200-pixel 3D view when camera and focus sit at the origin:
// 90 degrees to the left, measured with the rounded degree factor, is a hair over one pane width.
double YAxisEndX()
{
    const double degreesPerRadian = 57.29578;
    const double azimuth = std::atan2(100.0, 0.0) * degreesPerRadian;
    return 100.0 - azimuth / 90.0 * 200.0;
}

// %.15g of a value with the locale's decimal separator, exponent marker in lower case.
QString Reference15(double v, const QLocale& locale)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", v);
    return QString::fromLatin1(text).replace('.', locale.decimalPoint());
}

}  // namespace

TEST(FormStart, LabelCaptionsBeforeFirstTick)
{
    TForm1 form;  // no event processed yet, so the timer has not fired
    for (int i = 1; i <= 16; ++i) {
        auto* label = form.findChild<QLabel*>(LabelName(i));
        ASSERT_NE(label, nullptr) << i;
        EXPECT_EQ(label->text(), LabelName((i - 1) % 8 + 1)) << i;
    }
}

TEST(FormStart, OpensMaximisedOverItsNormalGeometry)
{
    TForm1 form;
    EXPECT_TRUE(form.windowState().testFlag(Qt::WindowMaximized));
    EXPECT_EQ(form.normalGeometry(), QRect(141, 139, 870, 640));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.isMaximized());
    EXPECT_EQ(form.normalGeometry(), QRect(141, 139, 870, 640));
}

TEST(FormStart, ReadoutsUseTheLocaleDecimalSeparator)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German));
    {
        TForm1 form;
        form.SaatTimer();
        EXPECT_EQ(form.findChild<QLabel*>("Label13")->text(), Reference15(YAxisEndX(), QLocale(QLocale::German)));
        EXPECT_TRUE(form.findChild<QLabel*>("Label13")->text().contains(','));
    }
    QLocale::setDefault(before);
}

TEST_F(FormTest, WindowCaptionColoursAndFont)
{
    EXPECT_EQ(Form().windowTitle(), "Tirvok 3");
    EXPECT_EQ(Form().palette().color(QPalette::Window), QColor(kSilver));
    EXPECT_TRUE(Form().autoFillBackground());
    // An empty spot right of the readouts shows the window background.
    const QImage shot = Form().grab().toImage();
    EXPECT_EQ(shot.pixel(700, 420) & 0xFFFFFFu, kSilver & 0xFFFFFFu);

    QWidget* texts[] = {&Form(), Label("Label1"), Label("LEkranXY"), Button("BKamera"), Button("BSonPrizma")};
    for (QWidget* w : texts) {
        EXPECT_EQ(w->font().family(), "MS Sans Serif") << w->objectName().toStdString();
        EXPECT_EQ(w->font().pixelSize(), 11) << w->objectName().toStdString();
    }
    EXPECT_EQ(Label("Label1")->palette().color(QPalette::WindowText), kBlue);
    EXPECT_EQ(Button("BKamera")->palette().color(QPalette::ButtonText), kBlue);
}

TEST_F(FormTest, PanesAndButtonsSitExactlyInPlace)
{
    for (const TPlace& p : kPanes)
        EXPECT_EQ(Pane(p.name)->geometry(), QRect(p.left, p.top, p.width, p.height)) << p.name;
    for (const TPlace& p : kButtons)  // inside the tool group, which draws nothing
        EXPECT_EQ(QRect(Button(p.name)->mapTo(&Form(), QPoint()), Button(p.name)->size()),
                  QRect(p.left, p.top, p.width, p.height))
            << p.name;
}

TEST_F(FormTest, LabelsKeepPlaceAndGrowToFitTheirText)
{
    for (const TPlace& p : kLabels) {
        QLabel* label = Label(p.name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->x(), p.left) << p.name;
        EXPECT_EQ(label->y(), p.top) << p.name;
        EXPECT_EQ(label->height(), p.height) << p.name;
        EXPECT_GE(label->width(), p.width) << p.name;
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << p.name;
    }
    EXPECT_EQ(Label("LEkran3B")->text(), "Ekran3B");
    EXPECT_EQ(Label("LEkranXY")->text(), "EkranXY");
    EXPECT_EQ(Label("LEkranXZ")->text(), "EkranXZ");
    EXPECT_EQ(Label("LEkranYZ")->text(), "EkranYZ");
}

TEST_F(FormTest, ButtonCaptionsAndTooltip)
{
    EXPECT_EQ(Button("BKamera")->text(), "Kamera");
    EXPECT_EQ(Button("BOdak")->text(), QString::fromUtf8("Odak Noktas\u0131"));
    EXPECT_EQ(Button("BPrizma")->text(), "Prizma Ekle");
    EXPECT_EQ(Button("BSonPrizma")->text(), QString::fromUtf8("Son Prizmay\u0131 D\u00fczenle"));
    EXPECT_EQ(Button("BKamera")->toolTip(), "Kamera ekle");
}

TEST_F(FormTest, PanesStayPutWhenTheWindowResizes)
{
    Form().showNormal();
    for (QSize size : {QSize(1000, 800), QSize(300, 200), QSize(870, 640)}) {
        Form().resize(size);
        QCoreApplication::processEvents();
        ASSERT_EQ(Form().size(), size);
        for (const TPlace& p : kPanes)
            EXPECT_EQ(Pane(p.name)->geometry(), QRect(p.left, p.top, p.width, p.height))
                << p.name << " at " << size.width() << "x" << size.height();
    }
}

TEST_F(FormTest, FrameTimerTicksEvery40ms)
{
    ASSERT_NE(Saat(), nullptr);
    EXPECT_EQ(Saat()->interval(), 40);
    EXPECT_TRUE(Saat()->isActive());
    // Left to the event loop, the timer itself writes the first readouts.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Label("Label1")->text() == "0"; }, kFrameWaitMs));
}

TEST_F(FormTest, ToolButtonsFollowRealClicks)
{
    for (const char* name : kToolNames)
        EXPECT_FALSE(Button(name)->isChecked()) << name;
    EXPECT_EQ(Form().CurrentTool(), TTool::None);

    for (std::size_t i = 0; i < std::size(kToolNames); ++i) {
        QTest::mouseClick(Button(kToolNames[i]), Qt::LeftButton);
        for (std::size_t j = 0; j < std::size(kToolNames); ++j)
            EXPECT_EQ(Button(kToolNames[j])->isChecked(), i == j) << "after clicking " << kToolNames[i];
        EXPECT_EQ(Form().CurrentTool(), kTools[i]);
    }
    // Clicking the one that is down raises it and leaves none down.
    QTest::mouseClick(Button("BSonPrizma"), Qt::LeftButton);
    for (const char* name : kToolNames)
        EXPECT_FALSE(Button(name)->isChecked()) << name;
    EXPECT_EQ(Form().CurrentTool(), TTool::None);
}

TEST_F(FormTest, SetToolPutsOneDownAndRaisesTheOthers)
{
    for (std::size_t i = 0; i < std::size(kTools); ++i) {
        Form().SetTool(kTools[i]);
        for (std::size_t j = 0; j < std::size(kToolNames); ++j)
            EXPECT_EQ(Button(kToolNames[j])->isChecked(), i == j) << "after SetTool " << kToolNames[i];
        EXPECT_EQ(Form().CurrentTool(), kTools[i]);
    }
    Form().SetTool(TTool::None);
    for (const char* name : kToolNames)
        EXPECT_FALSE(Button(name)->isChecked()) << name;
}

TEST_F(FormTest, ReadoutsAfterFirstTick)
{
    Form().SaatTimer();
    for (int i = 1; i <= 8; ++i)
        EXPECT_EQ(Label(LabelName(i))->text(), "0") << i;
    for (int i : {9, 10, 11, 12, 14, 15})
        EXPECT_EQ(Label(LabelName(i))->text(), "100") << i;
    const QLocale locale;
    for (int i : {13, 16}) {
        const QString text = Label(LabelName(i))->text();
        EXPECT_EQ(text, Reference15(YAxisEndX(), locale)) << i;
        bool ok = false;
        EXPECT_NEAR(locale.toDouble(text, &ok), -100.0000017, 1e-7) << i;
        EXPECT_TRUE(ok) << text.toStdString();
        // The longer text widens the label in place.
        EXPECT_GE(Label(LabelName(i))->width(), Label(LabelName(i))->fontMetrics().horizontalAdvance(text)) << i;
        EXPECT_EQ(Label(LabelName(i))->pos(), QPoint(568, i == 13 ? 280 : 376)) << i;
    }
}

// Every value class in every locale: only the decimal separator changes; digits, minus and exponent
// stay ASCII, with no grouping and no bidi marks.
TEST(ReadoutText, SameFormInEveryLocaleButTheSeparator)
{
    struct TValue {
        double value;
        const char* text;  // with '.' standing for the locale's separator
    };
    const TValue values[] = {
        {0, "0"},
        {100, "100"},
        {-100, "-100"},
        {12345, "12345"},  // no digit grouping
        {45.5, "45.5"},
        {1234567.25, "1234567.25"},
        {-100.0000017, "-100.0000017"},
        {-1.7e-06, "-1.7e-06"},
        {1e-05, "1e-05"},
        {-8.49831650384658e-07, "-8.49831650384658e-07"},
        {1e16, "1e+16"},
        {-123456789012345678.0, "-1.23456789012346e+17"},  // 15 significant digits
    };
    struct TLocaleCase {
        const char* name;
        char32_t separator;
    };
    const TLocaleCase locales[] = {
        {"C", U'.'},     {"en_US", U'.'},      {"de_DE", U','},      {"sv_SE", U','},      {"fi_FI", U','},
        {"nb_NO", U','}, {"ar_EG", U'\u066B'}, {"ar_SA", U'\u066B'}, {"fa_IR", U'\u066B'}, {"he_IL", U'.'},
        {"hi_IN", U'.'}, {"bn_BD", U'.'},      {"mr_IN", U'.'},      {"my_MM", U'.'},      {"th_TH", U'.'},
    };
    for (const TLocaleCase& l : locales) {
        const std::string separator = LocaleDecimalPoint(QLocale(QString::fromLatin1(l.name)));
        for (const TValue& v : values) {
            std::u32string expected;
            for (const char* c = v.text; *c != 0; ++c)
                expected += *c == '.' ? l.separator : char32_t(*c);
            const QList<uint> got = QString::fromStdString(ReadoutText(v.value, separator)).toUcs4();
            EXPECT_EQ(std::u32string(got.begin(), got.end()), expected) << l.name << " " << v.text;
        }
    }
}

// What a screen reader is told: the window a frame, the tools a named group of buttons with their state.
TEST_F(FormTest, ScreenReadersHearRolesStatesAndValues)
{
    Form().SetTool(TTool::Kamera);
    Form().SaatTimer();
    struct TExpect {
        const char* name;
        QAccessible::Role role;
        const char* spoken;
        bool pressed;
    };
    const TExpect expected[] = {
        {"Form1", QAccessible::Window, "Tirvok 3", false},
        {"Araclar", QAccessible::Grouping, "Ara\u00e7lar", false},
        {"BKamera", QAccessible::Button, "Kamera", true},
        {"BOdak", QAccessible::Button, "Odak Noktas\u0131", false},
        {"EkranXY", QAccessible::Graphic, "XY g\u00f6r\u00fcn\u00fcm\u00fc, \u00fcstten", false},
    };
    for (const TExpect& e : expected) {
        QObject* object = e.name == std::string_view("Form1") ? &Form() : Form().findChild<QObject*>(e.name);
        ASSERT_NE(object, nullptr) << e.name;
        QAccessibleInterface* i = QAccessible::queryAccessibleInterface(object);
        ASSERT_NE(i, nullptr) << e.name;
        EXPECT_EQ(i->role(), e.role) << e.name;
        EXPECT_EQ(i->text(QAccessible::Name), QString::fromUtf8(e.spoken)) << e.name;
        EXPECT_EQ(i->state().checked, e.pressed) << e.name;
    }
}
