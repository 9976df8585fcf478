// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFixture.h"
#include "engine/ProgressLine.h"
#include "ui/HelpWindow.h"
#include "ui/PanelLabel.h"
#include "ui/PictureBox.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QThread>

namespace {

constexpr qint64 TwoBlocks = 65536;

class AccessTest : public WindowFixture
{
protected:
    static QAccessibleInterface* a11y(QObject* object)
    {
        return QAccessible::queryAccessibleInterface(object);
    }
    // Runs fn on the window's thread once the progress line is shown, in the middle of a run.
    void duringRun(const std::function<void()>& fn)
    {
        fileSystem.onWrite = [this, fn, first = fileSystem.writes.load()](int number) {
            if (number == first + 4) {
                QThread::msleep(ProgressLine::ShowAfterMs + 2 * ProgressLine::UpdateIntervalMs);
                onUiThread(fn);
            }
        };
    }
};

// Both pictures answer their key and a screen reader's press as they answer a click.
TEST_F(AccessTest, PicturesArePushButtonsWithKeysAndAPressAction)
{
    QDir(programFolder.path()).mkpath(QStringLiteral("TGHilfe"));
    QFile page(programFolder.filePath(QStringLiteral("TGHilfe/index.html")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly) && page.write("<h1>Hilfe-Seite</h1>") > 0);
    page.close();
    open();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const auto check = [&](PictureBox* picture, const char* name, QKeyCombination key, const char* binding,
                           const std::function<bool()>& reached) {
        SCOPED_TRACE(name);
        QAccessibleInterface* button = a11y(picture);
        EXPECT_EQ(button->role(), QAccessible::Button);
        EXPECT_EQ(button->text(QAccessible::Name), QString::fromUtf8(name));
        EXPECT_EQ(button->actionInterface()->actionNames(),
                  QStringList{QAccessibleActionInterface::pressAction()});
        EXPECT_EQ(button->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
                  QStringList{QString::fromUtf8(binding)});
        EXPECT_FALSE(reached());
        QTest::keyClick(window->focusWidget(), key.key(), key.keyboardModifiers());
        EXPECT_TRUE(reached());
        EXPECT_EQ(picture->focusPolicy(), Qt::NoFocus); // the layout's tab order stays
    };
    check(window->Image1, "Datei laden", Qt::CTRL | Qt::Key_O, "Ctrl+O", [&] { return browseDialog.shown; });
    check(window->Image2, "Hilfe", QKeyCombination(Qt::Key_F1), "F1",
          [&] { return window->helpWindow() && window->helpWindow()->isVisible(); });
    a11y(window->Image1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(QTest::qWaitFor([&] { return browseDialog.shown == 2; }));
    EXPECT_TRUE(window->helpWindow()->browser()->toPlainText().contains(QStringLiteral("Hilfe-Seite")));
}

TEST_F(AccessTest, LabelsAreNamedByWhatTheyShowAndRelatedToTheirTitles)
{
    openWithFile(QStringLiteral("bericht.txt"));
    EXPECT_EQ(a11y(window.get())->role(), QAccessible::Window);
    EXPECT_EQ(a11y(window->Frame1)->role(), QAccessible::Pane);
    for (QWidget* control :
         std::initializer_list<QWidget*>{window->Frame1, window->chkQuit, window->lblFileName})
        EXPECT_NE(a11y(control)->text(QAccessible::Description), window->Frame1->toolTip())
            << control->objectName().toStdString();
    for (PanelLabel* value : {window->lblFileName, window->lblFilePath, window->lblFileAttribute}) {
        const auto labelledBy = a11y(value)->relations(QAccessible::Label);
        ASSERT_EQ(labelledBy.size(), 1) << value->objectName().toStdString();
        EXPECT_EQ(labelledBy.first().first->object(), value->title());
    }
    EXPECT_EQ(a11y(window->lblFileName)->text(QAccessible::Name), QStringLiteral("bericht.txt"));
    // The outcome of a run appears as a notification with plain line breaks.
    window->cmdDelete->click();
    EXPECT_EQ(a11y(window->lblEmpty)->role(), QAccessible::Notification);
    EXPECT_TRUE(
        a11y(window->lblEmpty)->text(QAccessible::Name).startsWith("Die Datei wurde umgebracht!\n\n"));
}

// The help page is a document: its text for reading at the caret, its links as children that Tab reaches
// and a screen reader's press follows.
TEST_F(AccessTest, TheHelpPageIsADocumentWhoseLinksTheKeyboardReaches)
{
    QDir(programFolder.path()).mkpath(QStringLiteral("TGHilfe"));
    QFile page(programFolder.filePath(QStringLiteral("TGHilfe/index.html")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write(
        "<p>Seite index <a href=\"eins.html\">Eins</a> und <a href=\"zwei.html\">Zwei <b>fett</b></a></p>");
    page.close();
    QFile::copy(page.fileName(), programFolder.filePath(QStringLiteral("TGHilfe/zwei.html")));
    open();
    window->Image2_Click();
    QTextBrowser* browser = window->helpWindow()->browser();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->helpWindow()));
    QAccessibleInterface* document = a11y(browser);
    EXPECT_EQ(document->role(), QAccessible::Document);
    ASSERT_EQ(document->childCount(), 2);
    EXPECT_EQ(document->child(1)->role(), QAccessible::Link);
    EXPECT_EQ(document->child(1)->text(QAccessible::Name), QStringLiteral("Zwei fett"));
    EXPECT_EQ(document->textInterface()->text(0, 10), QStringLiteral("Seite inde"));
    // Each Tab selects the next link, which is then the focused child (and announced as such).
    for (int link = 0; link < 2; ++link) {
        QTest::keyClick(browser, Qt::Key_Tab);
        EXPECT_TRUE(document->child(link)->state().focused && !document->child(1 - link)->state().focused);
    }
    document->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(QTest::qWaitFor([&] { return browser->source().fileName() == QStringLiteral("zwei.html"); }));
}

// A long name keeps its start and its extension on the name's one line; screen readers get all of it.
TEST_F(AccessTest, LongNamesAreShortenedInTheMiddleToFitTheirLines)
{
    const char* names[] = {
        "kurz.txt",
        "Steuererklärung_Einkommensteuer_Anlage_KAP_Jürgen_Weiß_2023.pdf",
        "ein sehr langer Dateiname mit vielen Wörtern der nicht in eine Zeile passt.txt",
        "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA.tar.gz",
    };
    for (const char* raw : names) {
        const QString name = QString::fromUtf8(raw);
        SCOPED_TRACE(raw);
        const QString file = openWithFile(name, TwoBlocks);
        const QString shown = window->lblFileName->text();
        EXPECT_TRUE(window->lblFileName->fitsWhole(shown));
        EXPECT_EQ(shown == name, name.size() < 20);
        EXPECT_TRUE(shown.startsWith(name.left(4)) && shown.endsWith(name.right(6)));
        EXPECT_EQ(a11y(window->lblFileName)->text(QAccessible::Name), name);

        // A second click during the run: the whole notice with its share fits the question's two lines.
        QString notice;
        duringRun([&] {
            window->cmdDelete->click();
            notice = window->lblMsg->text();
            EXPECT_TRUE(window->lblMsg->fitsWhole(notice));
        });
        window->cmdDelete->click();
        EXPECT_TRUE(notice.startsWith("Bitte warten: Erst wird „" + name.left(4)) &&
                    notice.contains(QString::fromUtf8("\u00A0%")))
            << notice.toStdString();
        EXPECT_FALSE(QFileInfo::exists(file));
    }
}

// During a run the progress reaches screen readers as a progress bar, the line names the file being
// overwritten when the panel shows another, and a close is acknowledged.
TEST_F(AccessTest, TheRunTellsWhatItDoesAndAClosingWindowWaitsForAVerdict)
{
    for (const bool verified : {true, false}) {
        SCOPED_TRACE(verified);
        fileSystem.storage.kind =
            verified ? FileSystemKind::Ext : FileSystemKind::Other; // ext4, or one that cannot be checked
        const QString file = openWithFile(QStringLiteral("alt.bin"), TwoBlocks);
        const QString other = makeFile(QStringLiteral("neu.txt"));
        QString naming, closing;
        double value = -1;
        duringRun([&] {
            QAccessibleInterface* bar = a11y(window->progressValue());
            EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
            value = bar->valueInterface()->currentValue().toDouble();
            load(other);
            naming = window->lblMsg->text();
            window->close();
            closing = window->lblMsg->text();
        });
        window->cmdDelete->click();
        EXPECT_EQ(value, 2);
        EXPECT_TRUE(naming.startsWith(QStringLiteral("„alt.bin“ wird überschrieben: Durchgang 2 von 36")))
            << naming.toStdString();
        EXPECT_TRUE(
            closing.startsWith(QStringLiteral("Tilgomatic schliesst, sobald die Datei überschrieben ist")));
        EXPECT_FALSE(QFileInfo::exists(file));
        // Only a verified destruction closes; otherwise the window stays and says what became of the file.
        EXPECT_EQ(window->isVisible(), !verified);
        EXPECT_EQ(window->lblEmpty->text().contains(QStringLiteral("nicht prüfen")), !verified);
        EXPECT_FALSE(window->progressValue()->isVisible());
    }
}

} // namespace
