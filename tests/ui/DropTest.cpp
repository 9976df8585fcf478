// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFixture.h"
#include "platform/NativePath.h"
#include "support/CoreText.h"
#include "support/TestFiles.h"
#include "target/TargetIntake.h"
#include "ui/PanelLabel.h"
#include "ui/PictureBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QPushButton>
#include <QTest>

#include <unistd.h>

namespace {

class DropTest : public WindowFixture
{
protected:
    // Every surface that takes a file, with the window in the state in which the surface is visible.
    QList<QWidget*> loadedSurfaces() const
    {
        return {window.get(),
                window->Frame1,
                window->chkExplorer,
                window->chkQuit,
                window->lblMsg,
                window->lblFileName,
                window->lblFileNameTitle,
                window->lblFilePath,
                window->lblFilePathTitle,
                window->lblFileSize,
                window->lblFileAttribute,
                window->lblFileAttributeTitle};
    }
    QList<QWidget*> refusers() const
    {
        return {window->Frame2, window->cmdCancel, window->cmdDelete, window->Image1, window->Image2};
    }
};

TEST_F(DropTest, EverySurfaceTakesADroppedFile)
{
    const QString first = openWithFile(QStringLiteral("erste.txt"));
    for (QWidget* surface : loadedSurfaces()) {
        SCOPED_TRACE(surface->objectName().toStdString());
        const QString file = makeFile(surface->objectName() + QStringLiteral(".txt"));
        const auto data = filesData({file});
        const DropOutcome outcome =
            dragAndDrop(surface, *data, surface == window.get() ? QPoint(1, 1) : QPoint());
        EXPECT_TRUE(outcome.enterAccepted);
        EXPECT_EQ(outcome.enterAction, Qt::CopyAction);
        EXPECT_TRUE(outcome.dropAccepted);
        EXPECT_EQ(window->TargetPath(), file);
        EXPECT_EQ(window->lblFileName->text(), surface->objectName() + QStringLiteral(".txt"));
    }
}

TEST_F(DropTest, EmptyStateTextTakesADroppedFile)
{
    open();
    ASSERT_TRUE(window->lblEmpty->isVisible());
    const QString file = makeFile(QStringLiteral("leer.txt"));
    const auto data = filesData({file});
    EXPECT_TRUE(dragAndDrop(window->lblEmpty, *data).dropAccepted);
    EXPECT_EQ(window->TargetPath(), file);
    EXPECT_FALSE(window->lblEmpty->isVisible());
    EXPECT_TRUE(window->lblMsg->isVisible());
    EXPECT_TRUE(window->cmdDelete->isEnabled());
}

TEST_F(DropTest, OnlyTheFirstOfSeveralFilesIsTaken)
{
    open();
    const QString a = makeFile(QStringLiteral("a.txt"));
    const QString b = makeFile(QStringLiteral("b.txt"));
    const QString c = makeFile(QStringLiteral("c.txt"));
    const auto data = filesData({b, a, c});
    dragAndDrop(window->lblEmpty, *data);
    EXPECT_EQ(window->TargetPath(), b);
}

TEST_F(DropTest, DroppedPathIsKeptAsItIs)
{
    const QString odd = openWithFile(QStringLiteral(" \"zitiert\" ~1 %1 .txt "));
    // The blank that ends the name is spelled out: it draws nothing.
    EXPECT_EQ(window->lblFileName->text(), QStringLiteral(" \"zitiert\" ~1 %1 .txt\\u0020"));
}

// Frame2, the buttons and the pictures refuse a file, and the frame or window behind them must not take it.
TEST_F(DropTest, RefusingControlsKeepTheFileFromTheSurfaceBehind)
{
    const QString loaded = openWithFile(QStringLiteral("geladen.txt"));
    const QString other = makeFile(QStringLiteral("andere.txt"));
    const auto data = filesData({other});
    for (QWidget* control : refusers()) {
        SCOPED_TRACE(control->objectName().toStdString());
        ASSERT_TRUE(control->isEnabled());
        const DropOutcome outcome = dragAndDrop(control, *data);
        EXPECT_EQ(outcome.enterAction, Qt::IgnoreAction);
        EXPECT_FALSE(outcome.dropAccepted);
        EXPECT_EQ(window->TargetPath(), loaded);
        EXPECT_EQ(window->lblFileName->text(), QStringLiteral("geladen.txt"));
    }
}

// A disabled button hands its drag events to the window; the window refuses over it all the same.
TEST_F(DropTest, WindowRefusesOverTheDisabledDeleteButton)
{
    open();
    ASSERT_FALSE(window->cmdDelete->isEnabled());
    const auto data = filesData({makeFile(QStringLiteral("a.txt"))});
    const DropOutcome outcome = dragAndDrop(window->cmdDelete, *data);
    EXPECT_FALSE(outcome.dropAccepted);
    EXPECT_TRUE(window->TargetPath().isEmpty());
    EXPECT_FALSE(dragAndDrop(window.get(), *data, window->cmdDelete->geometry().center()).dropAccepted);
    EXPECT_TRUE(window->TargetPath().isEmpty());
    EXPECT_TRUE(window->lblEmpty->isVisible());
}

TEST_F(DropTest, DropsWithoutALocalFileAreRefusedEverywhere)
{
    const QString loaded = openWithFile(QStringLiteral("geladen.txt"));
    QMimeData text;
    text.setText(QStringLiteral("/etc/passwd"));
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.org/datei.txt"))});
    QMimeData nothing;
    for (const QMimeData* data : {&text, &web, &nothing}) {
        for (QWidget* surface : loadedSurfaces()) {
            SCOPED_TRACE(surface->objectName().toStdString());
            const DropOutcome outcome =
                dragAndDrop(surface, *data, surface == window.get() ? QPoint(1, 1) : QPoint());
            EXPECT_FALSE(outcome.enterAccepted);
            EXPECT_EQ(window->TargetPath(), loaded);
        }
    }
    EXPECT_EQ(window->lblFileName->text(), QStringLiteral("geladen.txt"));
}

TEST_F(DropTest, MovesAreAnsweredAsCopiesOrLinks)
{
    open();
    const auto data = filesData({makeFile(QStringLiteral("a.txt"))});
    QDragEnterEvent linkOnly(QPoint(1, 1), Qt::LinkAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                             Qt::NoModifier);
    QApplication::sendEvent(window.get(), &linkOnly);
    EXPECT_TRUE(linkOnly.isAccepted());
    EXPECT_EQ(linkOnly.dropAction(), Qt::LinkAction);
    QDragLeaveEvent leave;
    QApplication::sendEvent(window.get(), &leave);

    QDragEnterEvent moveOnly(QPoint(1, 1), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &moveOnly);
    EXPECT_FALSE(moveOnly.isAccepted());
}

} // namespace

// A name that a file manager may have altered (U+FFFD for a byte that is no UTF-8) destroys neither of two
// look-alikes until a drop names one with its exact bytes.
TEST_F(DropTest, LookAlikeNamesWaitForADrop)
{
    const QString altered = makeFile(QString::fromUtf8("K\uFFFDse.txt"));
    const QString real = path(NativePath::fromNative("K\xe4se.txt"));
    writeFile(real, "real");
    open({QStringLiteral("1%"), altered});
    EXPECT_FALSE(window->cmdDelete->isEnabled());
    EXPECT_EQ(window->lblMsg->visibleLineCount(), window->lblMsg->lineCount());
    load(altered);
    ASSERT_TRUE(window->cmdDelete->isEnabled());
    window->cmdDelete->click();
    EXPECT_FALSE(nameExists(altered));
    EXPECT_EQ(readFile(real), "real");
    ::unlink(NativePath::toNative(real).constData());
}

// The look-alikes are chosen with the keyboard: Alt+W, then each arrow key loads the next candidate by its
// exact bytes, the file truly named with U+FFFD among them, which only that choice can load.
TEST_F(DropTest, LookAlikesAreChosenWithTheKeyboard)
{
    const QString trueName = makeFile(QString::fromUtf8("K\uFFFDse.txt"), 10);
    const QString other = path(NativePath::fromNative("K\xe4se.txt"));
    writeFile(other, "real");
    open({QStringLiteral("1%"), trueName});
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->cboLookAlike->isVisible(); }, 10000));
    EXPECT_FALSE(window->cmdDelete->isEnabled());
    EXPECT_EQ(window->lblMsg->text(), q(TargetIntake::ambiguityText(2)));
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window->focusWidget(), Qt::Key_W, Qt::AltModifier);
    ASSERT_EQ(QApplication::focusWidget(), window->cboLookAlike);
    QStringList sizes;
    for (const QString& expected : {other, trueName}) { // in the order of their shown names
        QTest::keyClick(window->cboLookAlike, Qt::Key_Down);
        EXPECT_EQ(NativePath::toNative(window->TargetPath()), NativePath::toNative(expected));
        // Shown, and read to screen readers whole: name, size and time.
        const QString name = NativePath::displayText(expected.mid(expected.lastIndexOf(u'/') + 1));
        EXPECT_TRUE(window->cboLookAlike->currentText().startsWith(name));
        EXPECT_TRUE(
            window->cboLookAlike->currentData(Qt::AccessibleTextRole).toString().startsWith(name + "  ("));
        EXPECT_TRUE(window->cmdDelete->isEnabled());
        sizes.append(window->lblFileSize->text());
    }
    EXPECT_NE(sizes.at(0), sizes.at(1)); // 4 bytes, then 10
    window->cmdDelete->click();
    EXPECT_FALSE(nameExists(trueName));
    EXPECT_EQ(readFile(other), "real");
    ::unlink(NativePath::toNative(other).constData());
}
