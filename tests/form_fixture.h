#pragma once

#include "birim1.h"

#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>

// A shown main window plus ways to reach its children and to send it real mouse input.
class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form_ = std::make_unique<TForm1>();
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    }

    void TearDown() override
    {
        // A failed assertion mid-drag must not leave a button held for the next test.
        QTestPrivate::qtestMouseButtons = Qt::NoButton;
        form_.reset();
    }

    TForm1& Form() { return *form_; }
    TScene& Scene() { return form_->Scene(); }

    // The named child of the main window; fails the test when it is missing.
    template <typename T>
    T* Child(const QString& name)
    {
        T* child = form_->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name.toStdString();
        return child;
    }

    QWidget* Pane(const QString& name) { return Child<QWidget>(name); }
    QToolButton* Button(const QString& name) { return Child<QToolButton>(name); }
    QLabel* Label(const QString& name) { return Child<QLabel>(name); }
    QTimer* Saat() { return Child<QTimer>("Saat"); }

    // The window-local point of a pane pixel; input sent there takes Qt's whole route to the widgets.
    QPoint At(QWidget* pane, QPoint panePixel)
    {
        QWindow* w = form_->windowHandle();
        return w->mapFromGlobal(pane->mapToGlobal(panePixel));
    }

    // Press, move (with whatever buttons are held) and release through the window, in pane pixels.
    void Press(QWidget* pane, Qt::MouseButton b, QPoint p) { QTest::mousePress(Window(), b, {}, At(pane, p)); }
    void Move(QWidget* pane, QPoint p) { QTest::mouseMove(Window(), At(pane, p)); }
    void Release(QWidget* pane, Qt::MouseButton b, QPoint p) { QTest::mouseRelease(Window(), b, {}, At(pane, p)); }
    void Click(QWidget* pane, Qt::MouseButton b, QPoint p) { QTest::mouseClick(Window(), b, {}, At(pane, p)); }

    QWindow* Window() { return form_->windowHandle(); }

private:
    std::unique_ptr<TForm1> form_;
};
