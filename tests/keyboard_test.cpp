// Editing without a mouse through real key events: the focus order, the keyboard pointer drawn over a
// pane and never into it, and a key session that ends on the pixels of its mouse twin.
#include "form_fixture.h"
#include "imagepane.h"

#include <QApplication>

namespace {

// The same edits by mouse, in a window of their own: Kamera down, a click at (120, 90) in the top view,
// a drag from there to (100, 90), and a right click at the front view's origin.
void MouseTwin(TForm1& form)
{
    QWindow* w = form.windowHandle();
    const auto at = [&](const char* pane, QPoint p) {
        auto* widget = form.findChild<QWidget*>(pane);
        return w->mapFromGlobal(widget->mapToGlobal(p));
    };
    QTest::mouseClick(w, Qt::LeftButton, {}, at("BKamera", {5, 5}));
    QTest::mouseClick(w, Qt::LeftButton, {}, at("EkranXY", {120, 90}));
    QTest::mousePress(w, Qt::LeftButton, {}, at("EkranXY", {120, 90}));
    QTest::mouseMove(w, at("EkranXY", {110, 90}));
    QTest::mouseMove(w, at("EkranXY", {100, 90}));
    QTest::mouseRelease(w, Qt::LeftButton, {}, at("EkranXY", {100, 90}));
    QTest::mouseClick(w, Qt::RightButton, {}, at("EkranXZ", {100, 100}));
}

}  // namespace

class KeyboardTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        Saat()->stop();
        Window()->requestActivate();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window()));
    }

    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(Window(), key, modifiers); }
    QWidget* Focused() { return QApplication::focusWidget(); }
};

TEST_F(KeyboardTest, TabGoesThroughTheToolsFromKameraThenThePlanViews)
{
    EXPECT_EQ(Focused(), Button("BKamera"));
    const char* order[] = {"BOdak", "BPrizma", "BSonPrizma", "EkranXY", "EkranXZ", "EkranYZ"};
    for (const char* name : order) {
        Key(Qt::Key_Tab);
        EXPECT_EQ(Focused(), Child<QWidget>(name)) << name;
    }
    Key(Qt::Key_Backtab);
    EXPECT_EQ(Focused(), Pane("EkranXZ"));
    Key(Qt::Key_Return);  // a click at the view's origin with no tool down changes nothing
    Key(Qt::Key_Backtab);
    Key(Qt::Key_Backtab);
    Key(Qt::Key_Return);
    EXPECT_EQ(Form().CurrentTool(), TTool::SonPrizma);
}

TEST_F(KeyboardTest, KeySessionEndsOnTheMouseSessionsPixels)
{
    Key(Qt::Key_Space);  // Kamera down
    for (int i = 0; i < 4; ++i)
        Key(Qt::Key_Tab);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    Key(Qt::Key_Up);
    Key(Qt::Key_Return);
    QTest::keyPress(Window(), Qt::Key_Space);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    QTest::keyRelease(Window(), Qt::Key_Space);
    auto* xy = static_cast<TImagePane*>(Pane("EkranXY"));
    EXPECT_TRUE(xy->ShowsKeyboardPointer());
    Key(Qt::Key_Tab);
    Key(Qt::Key_Escape);

    // The front view has the keyboard: its pointer shows over the pane, inverting it, not in the raster.
    auto* xz = static_cast<TImagePane*>(Pane("EkranXZ"));
    ASSERT_TRUE(xz->ShowsKeyboardPointer());
    EXPECT_FALSE(xy->ShowsKeyboardPointer());
    const QPoint centre(100, 100);
    const QRgb raster = xz->Image().pixel(centre);
    EXPECT_EQ(xz->grab().toImage().pixel(centre) & 0xFFFFFFu, ~raster & 0xFFFFFFu);
    // A mouse click hides it (with no tool down it edits nothing).
    QTest::mouseClick(Window(), Qt::LeftButton, {}, At(xz, {150, 150}));
    EXPECT_FALSE(xz->ShowsKeyboardPointer());
    EXPECT_EQ(xz->grab().toImage().pixel(centre) & 0xFFFFFFu, raster & 0xFFFFFFu);

    TForm1 twin;
    twin.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&twin));
    twin.findChild<QTimer*>("Saat")->stop();
    MouseTwin(twin);
    Form().SaatTimer();
    twin.SaatTimer();
    for (const char* name : {"EkranXY", "EkranXZ", "EkranYZ", "Ekran3B"})
        EXPECT_EQ(static_cast<TImagePane*>(Pane(name))->Image(),
                  static_cast<TImagePane*>(twin.findChild<QWidget*>(name))->Image())
            << name;
    for (int i = 1; i <= kReadouts; ++i) {
        const QString name = QString("Label%1").arg(i);
        EXPECT_EQ(Label(name)->text(), twin.findChild<QLabel*>(name)->text()) << i;
    }
    EXPECT_EQ(Scene().Camera.x, 0);
    EXPECT_EQ(Scene().Camera.y, 10);
    EXPECT_EQ(Form().CurrentTool(), TTool::None);
    EXPECT_EQ(twin.CurrentTool(), TTool::None);
}
