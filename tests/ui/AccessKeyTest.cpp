// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFixture.h"
#include "ui/PanelLabel.h"

#include <QApplication>
#include <QFileInfo>
#include <QTest>

namespace {

// The access keys go through Qt's shortcut handling, as a key press from the keyboard does; the plain
// events the other tests send would reach only the focused control. A button's access key "animates" a
// click that lands a moment later, so each test waits (with a generous limit) for its effect.
class AccessKeyTest : public WindowFixture
{
protected:
    void activate()
    {
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
};

TEST_F(AccessKeyTest, AltDDestroysTheLoadedFile)
{
    const QString file = openWithFile(QStringLiteral("geheim.txt"), 40000);
    activate();
    QTest::keyClick(window->focusWidget(), Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !QFileInfo::exists(file); }, 10000));
    EXPECT_TRUE(window->TargetPath.isEmpty());
    EXPECT_TRUE(window->lblEmpty->text().startsWith(QStringLiteral("Die Datei wurde umgebracht!")));
}

TEST_F(AccessKeyTest, AltBCloses)
{
    const QString file = openWithFile(QStringLiteral("bleibt.txt"));
    activate();
    QTest::keyClick(window->focusWidget(), Qt::Key_B, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 10000));
    EXPECT_TRUE(QFileInfo::exists(file));
}

} // namespace
