#include "accessible.h"

#include "imagepane.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

namespace {

constexpr char kNoticeName[] = "Duyuru";

// A tool: a toggle button, pressed while its tool is down. (Qt's own says "check box".)
class TToolInterface : public QAccessibleWidget {
public:
    explicit TToolInterface(QAbstractButton* b) : QAccessibleWidget(b, QAccessible::Button) {}

    QAbstractButton* Button() const { return static_cast<QAbstractButton*>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return QString(Button()->text()).remove('&');
        if (t == QAccessible::Description) {
            // Qt's AT-SPI bridge has no toggle-button role (Orca says "push button"), so the state is
            // said after the tooltip as well.
            const QString state =
                QString::fromUtf8(Button()->isChecked() ? "bas\u0131l\u0131" : "bas\u0131l\u0131 de\u011fil");
            return Button()->toolTip() == Button()->text() ? state : Button()->toolTip() + ", " + state;
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = Button()->isChecked();
        s.pressed = Button()->isChecked();
        return s;
    }
    QStringList actionNames() const override { return {toggleAction(), setFocusAction()}; }
    void doAction(const QString& name) override
    {
        if (name == toggleAction() || name == pressAction())
            Button()->click();
        else if (name == setFocusAction())
            Button()->setFocus(Qt::OtherFocusReason);
    }
};

// A readout: its name is what it measures and its value ("Kamera x, 50"), the text it shows.
class TReadoutInterface : public QAccessibleWidget {
public:
    explicit TReadoutInterface(QLabel* l) : QAccessibleWidget(l, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        const auto* label = static_cast<QLabel*>(widget());
        switch (t) {
        case QAccessible::Name: return label->accessibleName() + ", " + label->text();
        case QAccessible::Value: return label->text();
        default: return QAccessibleWidget::text(t);
        }
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr)
        return nullptr;
    if (className == "TForm1")
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (className == "TImagePane")
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    if (className == "QToolButton" && widget->parentWidget() != nullptr &&
        widget->parentWidget()->objectName() == kToolGroupName)
        return new TToolInterface(static_cast<QAbstractButton*>(widget));
    if (className == "QWidget" && widget->objectName() == kToolGroupName)
        return new QAccessibleWidget(widget, QAccessible::Grouping);
    if (className == "QLabel" && widget->property(kReadoutProperty).toBool())
        return new TReadoutInterface(static_cast<QLabel*>(widget));
    if (className == "QWidget" && widget->objectName() == kNoticeName)
        return new QAccessibleWidget(widget, QAccessible::Notification);
    return nullptr;
}

}  // namespace

void InstallAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

void Reconsider(QWidget* widget)
{
    // Qt made the widget's interface while the widget was being built, before it was a tool or a
    // readout; dropped, the next query asks the factory again.
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(QAccessible::queryAccessibleInterface(widget)));
}

void WatchTool(QAbstractButton* button)
{
    QObject::connect(button, &QAbstractButton::toggled, button, [button] {
        QAccessibleEvent said(button, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&said);
    });
}

void ReadoutChanged(QWidget* readout)
{
    QAccessibleEvent named(readout, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
}

TAnnouncer::TAnnouncer(QWidget* window) : notice_(new QWidget(window))
{
    notice_->setObjectName(kNoticeName);
    notice_->setGeometry(0, 0, 0, 0);
    notice_->hide();
    Reconsider(notice_);
}

void TAnnouncer::Announce(const QString& text)
{
    if (text.isEmpty())
        return;
    // A notification is read when it appears: hidden and shown again, with the sentence as its name.
    notice_->hide();
    notice_->setAccessibleName(text);
    notice_->show();
}
