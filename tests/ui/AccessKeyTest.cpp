// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFixture.h"
#include "ui/HelpWindow.h"
#include "ui/PanelLabel.h"

#include <QApplication>
#include <QFileInfo>
#include <QTest>
#include <QTextBrowser>

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
    EXPECT_TRUE(window->TargetPath().isEmpty());
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

// The help window's underlined letters work beside its other keys: Alt+Z back, Alt+V forward, Alt+Left
// back again, Alt+S closes.
TEST_F(AccessKeyTest, TheHelpWindowAnswersItsUnderlinedLetters)
{
    QDir(programFolder.path()).mkpath(QStringLiteral("TGHilfe"));
    for (const char* page : {"index", "zwei"}) {
        QFile file(programFolder.filePath(QStringLiteral("TGHilfe/%1.html").arg(QLatin1String(page))));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("<p>Seite ") + page + "</p><a href=\"zwei.html\">weiter</a>");
    }
    open();
    window->Image2_Click();
    HelpWindow* help = window->helpWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(help));
    help->browser()->setSource(QUrl(QStringLiteral("zwei.html")));
    const auto shows = [help](const char* page) {
        return QTest::qWaitFor([&] { return help->browser()->toPlainText().contains(QLatin1String(page)); });
    };
    const std::pair<QKeyCombination, const char*> steps[] = {{Qt::ALT | Qt::Key_Z, "Seite index"},
                                                             {Qt::ALT | Qt::Key_V, "Seite zwei"},
                                                             {Qt::ALT | Qt::Key_Left, "Seite index"}};
    for (const auto& [key, page] : steps) {
        QTest::keyClick(help->focusWidget(), key.key(), key.keyboardModifiers());
        EXPECT_TRUE(shows(page)) << page;
    }
    QTest::keyClick(help->focusWidget(), Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !help->isVisible(); }));
}

} // namespace
