#pragma once
// Helpers for tests that build the whole window.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include "app/qstring_printer.h"

#include "app/form1.h"
#include "app/image_control.h"
#include "app/image_list.h"
#include "app/picture_box.h"
#include "player/dir_list_box.h"
#include "player/drive_list_box.h"
#include "player/file_list_box.h"
#include "player/shockwave_flash.h"

// A window whose failure reports are collected instead of shown in a message box.
class FormTest : public ::testing::Test {
protected:
    FormTest()
    {
        form.setFailureReporter([this](const QString& message) { reports << message; });
    }

    // Shows the window (offscreen) and waits until Qt has laid it out.
    void showForm()
    {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    // The control the user sees at `point` (client pixels): the window's own child there, or
    // Picture1 where it lies on the toolbar. Children inside a control (a list's viewport) count
    // as that control.
    QWidget* controlAt(QPoint point)
    {
        QWidget* hit = form.childAt(point);
        while (hit && hit->parentWidget() != &form && hit->parentWidget() != form.Toolbar1)
            hit = hit->parentWidget();
        return hit;
    }

    Form1 form;
    QStringList reports;
};

// Runs the event loop until `condition` holds or a second has passed.
template <class Condition>
bool waitUntil(Condition condition)
{
    return QTest::qWaitFor(condition, 1000);
}