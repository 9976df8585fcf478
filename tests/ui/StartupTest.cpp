// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFixture.h"
#include "platform/CoreBridge.h"
#include "platform/linux/IniSettingsStore.h"
#include "platform/linux/RootSession.h"
#include "ui/PanelLabel.h"
#include "ui/PictureBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QHelpEvent>
#include <QProcessEnvironment>
#include <QPushButton>

namespace {

const QString App = QStringLiteral("tilgomatic");

class StartupTest : public WindowFixture
{
protected:
    QList<QWidget*> recoloured() const
    {
        return {window->Frame1, window->Frame2, window->chkExplorer, window->chkQuit, window.get()};
    }
    // Each recoloured control is painted in colour: a spot of it where nothing else is drawn.
    void expectColour(const QColor& colour)
    {
        const QList<QPoint> blankSpots = {QPoint(window->Frame1->width() - 5, window->Frame1->height() - 5),
                                          QPoint(5, 5), QPoint(window->chkExplorer->width() - 2, 1),
                                          QPoint(window->chkQuit->width() - 2, 1), QPoint(1, 1)};
        const QList<QWidget*> widgets = recoloured();
        for (int i = 0; i < widgets.size(); ++i) {
            SCOPED_TRACE(widgets[i]->objectName().toStdString());
            EXPECT_EQ(widgets[i]->palette().color(QPalette::Window), colour);
            EXPECT_EQ(widgets[i]->grab().toImage().pixelColor(blankSpots[i]), colour);
        }
    }
    static QColor faceColour() { return QApplication::palette().color(QPalette::Button); }
};

TEST_F(StartupTest, WhileThunarRunsTheExplorerOptionSaysThatAChangeWantsARestart)
{
    shellEntries.running = {"Thunar"};
    open();
    QHelpEvent over(QEvent::ToolTip, QPoint(2, 2), window->chkExplorer->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(window->chkExplorer, &over);
    EXPECT_TRUE(window->chkExplorer->toolTip().contains(QLatin1String("thunar -q")));
}

// With the real settings file: a ticked option survives a restart, under the executable's name only.
TEST_F(StartupTest, OptionsSurviveARestartInTheSettingsFile)
{
    QTemporaryDir config;
    IniSettingsStore store(config.path());
    {
        const MainServices services{fileSystem, store, registry, browseDialog, program, false};
        frmMain first(services);
        first.Form_Load();
        first.chkQuit->click();
        first.chkExplorer->click();
        EXPECT_TRUE(registry.hasKey("*\\shell\\Tilgomatic"));
        first.cmdCancel->setFocus();
        sendKey(first.cmdCancel, Qt::Key_F12);
    }
    const MainServices services{fileSystem, store, registry, browseDialog, program, false};
    frmMain second(services);
    second.Form_Load();
    EXPECT_TRUE(second.chkQuit->isChecked());
    EXPECT_TRUE(second.chkExplorer->isChecked());
    EXPECT_EQ(second.Frame1->palette().color(QPalette::Window), faceColour());

    ProgramInfo renamed = program;
    renamed.executableName = "anders";
    const MainServices other{fileSystem, store, registry, browseDialog, renamed, false};
    frmMain third(other);
    third.Form_Load();
    EXPECT_FALSE(third.chkQuit->isChecked());
    EXPECT_EQ(third.Frame1->palette().color(QPalette::Window), QColor(Qt::white));
}

TEST_F(StartupTest, AsRootForAnotherUserTheExplorerOptionIsOff)
{
    rootForOtherUser = true;
    open();
    EXPECT_FALSE(window->chkExplorer->isEnabled());
    EXPECT_TRUE(window->chkExplorer->toolTip().contains(QLatin1String("root")));
    EXPECT_EQ(window->focusWidget(), window->chkQuit);
    window->chkExplorer->click();
    EXPECT_TRUE(registry.calls.empty());
    EXPECT_TRUE(settings.saves.isEmpty());
    EXPECT_EQ(shellEntries.broughtInLine, 0);
    // A file dropped on it goes to the frame behind, which takes it the same way.
    const QString file = makeFile(QStringLiteral("a.txt"));
    const auto data = filesData({file});
    EXPECT_TRUE(dragAndDrop(window->chkExplorer, *data).dropAccepted);
    EXPECT_EQ(window->TargetPath(), file);
}

TEST(RootSessionTest, OnlyRootForSomeoneElseCounts)
{
    QProcessEnvironment plain;
    QProcessEnvironment sudo;
    sudo.insert(QStringLiteral("SUDO_USER"), QStringLiteral("anna"));
    QProcessEnvironment sudoRoot;
    sudoRoot.insert(QStringLiteral("SUDO_USER"), QStringLiteral("root"));
    QProcessEnvironment pkexec;
    pkexec.insert(QStringLiteral("PKEXEC_UID"), QStringLiteral("1000"));

    EXPECT_FALSE(RootSession::forOtherUser(1000, sudo, 1000u));
    EXPECT_FALSE(RootSession::forOtherUser(0, plain, 0u));
    EXPECT_FALSE(RootSession::forOtherUser(0, plain, std::nullopt));
    EXPECT_FALSE(RootSession::forOtherUser(0, sudoRoot, 0u));
    EXPECT_TRUE(RootSession::forOtherUser(0, sudo, 0u));
    EXPECT_TRUE(RootSession::forOtherUser(0, pkexec, 0u));
    EXPECT_TRUE(RootSession::forOtherUser(0, plain, 1000u)); // sudo -E or su: the home is someone else's
}

TEST_F(StartupTest, F12AndF11OnTheQuitButtonSwitchTheColours)
{
    open();
    const QPalette buttonPalette = window->cmdCancel->palette();
    window->cmdCancel->setFocus();
    sendKey(window->cmdCancel, Qt::Key_F12);
    EXPECT_EQ(settings.stored(App, QStringLiteral("BGColor")), QStringLiteral("&H8000000F"));
    expectColour(faceColour());
    EXPECT_EQ(window->cmdCancel->palette().color(QPalette::Button), buttonPalette.color(QPalette::Button));

    sendKey(window->cmdCancel, Qt::Key_F11);
    EXPECT_EQ(settings.stored(App, QStringLiteral("BGColor")), QStringLiteral("&H00FFFFFF"));
    expectColour(Qt::white);

    sendKey(window->cmdCancel, Qt::Key_F12, Qt::ShiftModifier);
    EXPECT_EQ(settings.stored(App, QStringLiteral("BGColor")), QStringLiteral("&H8000000F"));
    expectColour(faceColour());
    // Any other key only applies the stored scheme again.
    const auto saves = settings.saves.size();
    sendKey(window->cmdCancel, Qt::Key_A);
    EXPECT_EQ(settings.saves.size(), saves);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(StartupTest, F12ElsewhereDoesNothing)
{
    open();
    for (QWidget* widget :
         {static_cast<QWidget*>(window->chkQuit), static_cast<QWidget*>(window->chkExplorer),
          static_cast<QWidget*>(window.get())}) {
        sendKey(widget, Qt::Key_F12);
        sendKey(widget, Qt::Key_F11);
    }
    EXPECT_TRUE(settings.saves.isEmpty());
    expectColour(Qt::white);
}

// A plain colour reaches the window, the frames, the check boxes and, through the labels, the panel.
TEST_F(StartupTest, PlainColourNumberPaintsThePanel)
{
    settings.preset(App, QStringLiteral("BGColor"), QStringLiteral("&H000000FF"));
    openWithFile(QStringLiteral("a.txt"));
    expectColour(QColor(255, 0, 0));
    const QImage frame = window->Frame1->grab().toImage();
    const QRect row = window->lblFileAttribute->geometry();
    EXPECT_EQ(frame.pixelColor(row.right() - 2, row.center().y()), QColor(255, 0, 0));
}

TEST_F(StartupTest, EscapeAnywhereQuits)
{
    open();
    window->chkQuit->setFocus();
    sendKey(window->chkQuit, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(StartupTest, BrowsePictureLoadsTheChosenFile)
{
    open();
    const QString file = makeFile(QStringLiteral("gewählt.txt"), 6);
    browseDialog.answer = file;
    click(window->Image1);
    ASSERT_EQ(browseDialog.shown, 1);
    const BrowseDialog::Request& request = *browseDialog.lastRequest;
    EXPECT_EQ(request.title, "Datei zum löschen suchen");
    EXPECT_EQ(request.startPath, CoreBridge::toPath(QDir::homePath())); // nothing loaded yet
    EXPECT_EQ(request.owner, static_cast<BrowseDialog::Owner>(static_cast<QWidget*>(window.get())));
    EXPECT_TRUE(request.includeFiles);
    EXPECT_TRUE(request.rootPath.empty());
    EXPECT_EQ(window->TargetPath(), file);
    click(window->Image1); // the next search starts beside the loaded file
    EXPECT_EQ(browseDialog.lastRequest->startPath, CoreBridge::toPath(QFileInfo(file).absolutePath()));
}

TEST_F(StartupTest, ReleaseOutsideThePictureIsNoClick)
{
    open();
    const QPointF inside(4, 4);
    const QPointF outside(40, 40);
    QMouseEvent press(QEvent::MouseButtonPress, inside, window->Image1->mapToGlobal(inside), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->Image1, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, outside, window->Image1->mapToGlobal(outside),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window->Image1, &release);
    EXPECT_EQ(browseDialog.shown, 0);
}

} // namespace
