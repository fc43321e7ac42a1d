// The window on a user's desktop: readable under a dark theme, named for screen readers, its own icon,
// readouts left-aligned in any layout direction.
#include "form_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>

#include <cmath>
#include <map>

namespace {

const char* const kToolNames[] = {"BKamera", "BOdak", "BPrizma", "BSonPrizma"};

// WCAG relative luminance of an sRGB colour.
double Luminance(QRgb c)
{
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

double Contrast(QRgb a, QRgb b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Face and caption of a grabbed button: the face is the commonest colour inside the bevel, the
// caption the pixel that stands out most from it.
struct TButtonLook {
    QRgb face = 0;
    QRgb caption = 0;
    double contrast = 0;
};

TButtonLook LookOf(QWidget* button)
{
    const QImage image = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect inside = image.rect().adjusted(3, 3, -3, -3);
    std::map<QRgb, int> counts;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y)];
    TButtonLook look;
    look.face =
        std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    for (const auto& [colour, n] : counts)
        if (const double c = Contrast(colour, look.face); c > look.contrast) {
            look.contrast = c;
            look.caption = colour;
        }
    return look;
}

QPalette DarkPalette()
{
    QPalette dark(QColor(53, 53, 53), QColor(40, 40, 40));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    return dark;
}

QString AccessibleText(QObject* object, QAccessible::Text which)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface == nullptr ? QString() : iface->text(which);
}

}  // namespace

// A dark system palette set before the window exists must not reach the tool buttons: every caption
// keeps WCAG AA contrast (4.5 : 1) against its face up, down, showing keyboard focus and both, and a down
// tool shows a darker face than a raised one.
TEST(DesktopLook, CaptionsReadableUnderADarkPalette)
{
    const QPalette before = QApplication::palette();
    QApplication::setPalette(DarkPalette());
    {
        TForm1 form;
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        auto* other = form.findChild<QWidget*>("Ekran3B");
        for (const char* name : kToolNames) {
            auto* button = form.findChild<QToolButton*>(name);
            ASSERT_NE(button, nullptr) << name;
            for (bool focused : {false, true}) {
                (focused ? static_cast<QWidget*>(button) : other)->setFocus(Qt::TabFocusReason);
                form.setAttribute(Qt::WA_KeyboardFocusChange, focused);
                const TButtonLook up = LookOf(button);
                button->click();
                const TButtonLook down = LookOf(button);
                button->click();
                const char* how = focused ? " focused" : "";
                EXPECT_GE(up.contrast, 4.5) << name << how << " up, face " << std::hex << up.face;
                EXPECT_GE(down.contrast, 4.5) << name << how << " down, face " << std::hex << down.face;
                EXPECT_GT(Luminance(up.face), 0.4) << name << " has a light face";
                EXPECT_NE(up.face, down.face) << name << how << " looks the same up and down";
            }
        }
    }
    QApplication::setPalette(before);
}

TEST_F(FormTest, PanesAndReadoutsSpeakToScreenReaders)
{
    struct TPaneCase {
        const char* pane;
        const char* name;
        const char* axes;  // what the description must mention
    };
    const TPaneCase panes[] = {
        {"Ekran3B", "3B görünüm", "azimut"},
        {"EkranXY", "XY görünümü, üstten", "sağa X, yukarı Y"},
        {"EkranXZ", "XZ görünümü, önden", "sağa X, yukarı Z"},
        {"EkranYZ", "YZ görünümü, yandan", "sağa Y, yukarı Z"},
    };
    for (const TPaneCase& c : panes) {
        EXPECT_EQ(AccessibleText(Pane(c.pane), QAccessible::Name), QString::fromUtf8(c.name)) << c.pane;
        EXPECT_TRUE(AccessibleText(Pane(c.pane), QAccessible::Description).contains(QString::fromUtf8(c.axes)))
            << c.pane;
    }
    Scene().Camera = {30, -20, 10};
    Form().SaatTimer();
    const struct {
        const char* label;
        const char* name;
        const char* value;
    } readouts[] = {
        {"Label1", "Kamera x", "30"},     {"Label2", "Kamera y", "-20"},        {"Label3", "Kamera z", "10"},
        {"Label4", "Odak x", "0"},        {"Label7", "Bakış azimutu", nullptr}, {"Label8", "Bakış yükselişi", nullptr},
        {"Label9", "Orijin sx", nullptr}, {"Label16", "Z ucu sy", nullptr},
    };
    for (const auto& r : readouts) {
        QLabel* label = Label(r.label);
        // What it measures, then the value it shows.
        EXPECT_EQ(AccessibleText(label, QAccessible::Name), QString::fromUtf8(r.name) + ", " + label->text())
            << r.label;
        if (r.value != nullptr) {
            EXPECT_EQ(label->text(), r.value) << r.label;  // the visible text stays the bare value
        }
    }
    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(Button("BKamera"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(QAccessible::Name), "Kamera");
    EXPECT_EQ(button->text(QAccessible::Description), QString::fromUtf8("Kamera ekle, bas\u0131l\u0131 de\u011fil"));
}

TEST_F(FormTest, CarriesItsOwnIconInEverySize)
{
    const QIcon icon = Form().windowIcon();
    for (int size : {16, 32, 48, 128, 256}) {
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        EXPECT_EQ(image.size(), QSize(size, size)) << size;
        EXPECT_NE(image.pixel(size / 2, size / 2), image.pixel(0, 0)) << size << ": a blank icon";
    }
}

// Under a right-to-left layout nothing is mirrored and the readouts start at their left edge, Arabic
// separator and all.
TEST(DesktopLook, ReadoutsStayLeftAlignedRightToLeft)
{
    QGuiApplication::setLayoutDirection(Qt::RightToLeft);
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    {
        TForm1 form;
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.Scene().Camera.x = 45.5;
        form.SaatTimer();
        auto* label = form.findChild<QLabel*>("Label1");
        ASSERT_EQ(label->text(), QString::fromUtf8("45٫5"));
        label->resize(120, label->height());  // room to the right, so an alignment shows
        const QImage image = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int leftmost = image.width();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qBlue(image.pixel(x, y)) > qRed(image.pixel(x, y)) + 60)
                    leftmost = std::min(leftmost, x);
        EXPECT_LT(leftmost, 4) << "caption drawn from x " << leftmost;
        EXPECT_EQ(label->pos(), QPoint(432, 152));
        EXPECT_EQ(form.findChild<QWidget*>("EkranXY")->pos(), QPoint(220, 18));
        EXPECT_EQ(form.findChild<QWidget*>("Ekran3B")->pos(), QPoint(2, 18));
    }
    QLocale::setDefault(before);
    QGuiApplication::setLayoutDirection(Qt::LeftToRight);
}
