// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFixture.h"
#include "engine/ProgressLine.h"
#include "engine/ShredReport.h"
#include "model/WindowLayout.h"
#include "platform/CoreBridge.h"
#include "platform/NativePath.h"
#include "platform/linux/TerminationSignals.h"
#include "support/CoreText.h"
#include "support/TestFiles.h"
#include "target/PanelText.h"
#include "target/TargetIntake.h"
#include "ui/PanelLabel.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QSemaphore>
#include <QThread>

#include <csignal>
#include <unistd.h>

namespace {

const QString Question = CoreBridge::fromText(WindowLayout::Question);

// Two full blocks: each sweep is two block writes.
constexpr qint64 TwoBlocks = 65536;

class DeleteCommandTest : public WindowFixture
{
protected:
    void expectDestroyedAndEmpty(const QString& file)
    {
        EXPECT_FALSE(QFileInfo::exists(file));
        EXPECT_TRUE(window->TargetPath().isEmpty());
        EXPECT_TRUE(window->lblEmpty->isVisible());
        EXPECT_FALSE(window->lblMsg->isVisible());
        EXPECT_FALSE(window->lblFileName->isVisible());
        EXPECT_FALSE(window->cmdDelete->isEnabled());
        EXPECT_FALSE(window->isShredding());
    }
    // Starts holder, another process that keeps file open until it is killed.
    static void holdOpen(QProcess& holder, const QString& file)
    {
        holder.start(QStringLiteral("/bin/bash"),
                     {QStringLiteral("-c"), QStringLiteral("exec 3<\"$1\"; echo bereit; exec sleep 120"),
                      QStringLiteral("holder"), file});
        ASSERT_TRUE(holder.waitForReadyRead(30000));
    }
    // Posts a drop of file onto widget: the window's thread handles it while the run goes on.
    void postDrop(QWidget* widget, const QMimeData* data)
    {
        const QPoint at = widget->rect().center();
        QCoreApplication::postEvent(
            widget, new QDragEnterEvent(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(widget,
                                    new QDropEvent(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier));
    }
};

TEST_F(DeleteCommandTest, DestroysTheFileAndShowsTheSuccessText)
{
    const QString file = openWithFile(QStringLiteral("geheim.txt"), 100000);
    window->cmdDelete->click();
    expectDestroyedAndEmpty(file);
    EXPECT_EQ(window->lblEmpty->text(), q(ShredReport::successText()));
    EXPECT_EQ(window->lblEmpty->visibleLineCount(), window->lblEmpty->lineCount());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(fileSystem.opens, 1);
}

// A name that is no UTF-8, given in the form of the file managers' entries, is described and destroyed.
TEST_F(DeleteCommandTest, Latin1NameFromTheCommandLineIsDescribedAndDestroyed)
{
    const QString file = path(NativePath::fromNative("K\xe4se.txt"));
    writeFile(file, QByteArray(2048, 'k'));
    open({QStringLiteral("1%"), file});
    EXPECT_EQ(window->lblFileName->text(), QStringLiteral("K\\xE4se.txt"));
    EXPECT_EQ(window->lblFileSize->text(), QStringLiteral("Dateigrösse: 2,00\u00A0KB"));
    EXPECT_EQ(window->lblMsg->text(), Question);
    ASSERT_TRUE(window->cmdDelete->isEnabled());
    window->cmdDelete->click();
    EXPECT_FALSE(nameExists(file));
    EXPECT_TRUE(window->lblEmpty->isVisible());
}

TEST_F(DeleteCommandTest, EnterOnTheFocusedButtonDeletes)
{
    const QString file = openWithFile(QStringLiteral("a.txt"));
    window->cmdDelete->setFocus();
    sendKey(window->cmdDelete, Qt::Key_Return);
    expectDestroyedAndEmpty(file);
}

// Another process holds the read-only file open: nothing is destroyed, the protection the run lifted for its
// open is given back, and the window says why, naming the program. Once it lets go, the file is destroyed.
TEST_F(DeleteCommandTest, FileInUseStaysAsItWasAndTheReasonIsShown)
{
    open();
    const QString file = makeFile(QStringLiteral("offen.txt"), 5000);
    QFile::setPermissions(file, QFile::ReadOwner);
    QProcess holder;
    ASSERT_NO_FATAL_FAILURE(holdOpen(holder, file));
    load(file);
    window->cmdDelete->click();
    holder.kill();
    holder.waitForFinished();
    EXPECT_EQ(readFile(file), QByteArray(5000, 'x'));
    EXPECT_FALSE(QFileInfo(file).permissions() & QFile::WriteOwner);
    EXPECT_EQ(window->lblFileAttribute->text(), QStringLiteral("Schreibgeschützt"));
    EXPECT_EQ(window->lblMsg->text(), q(ShredReport::inUseText("sleep")));
    EXPECT_EQ(window->TargetPath(), file);
    EXPECT_TRUE(window->cmdDelete->isEnabled());

    window->RefreshTarget();
    EXPECT_EQ(window->lblMsg->text(), Question);
    window->cmdDelete->click();
    expectDestroyedAndEmpty(file);
}

TEST_F(DeleteCommandTest, EveryOpenFailureTextFitsTheQuestionsLabel)
{
    openWithFile(QStringLiteral("a.txt"));
    QStringList texts{q(PanelText::uncheckedOpenersQuestion()),
                      q(PanelText::notDescribableText(std::string(4096, '/'))),
                      q(PanelText::notDescribableText("/" + std::string(256, 'n')))};
    for (OpenStatus status :
         {OpenStatus::InUse, OpenStatus::AccessDenied, OpenStatus::NotRegularFile, OpenStatus::NotFound,
          OpenStatus::Changed, OpenStatus::NoSpace, OpenStatus::Failed})
        texts.append(q(ShredReport::openFailureText(status)));
    // And the warnings and reports of the layers above and beneath, with the longest names they take.
    QStringList reports;
    OverwriteCheck::Result result{OverwriteCheck::Outcome::NotReached, OverwriteCheck::Reason::Journalled,
                                  "bcachefs", OverwriteCheck::Layer::ImageFile,
                                  "Device-Mapper (snapshot-origin)"};
    for (const auto layer :
         {OverwriteCheck::Layer::ImageFile, OverwriteCheck::Layer::Device, OverwriteCheck::Layer::Overlay})
        for (const auto outcome :
             {OverwriteCheck::Outcome::NotReached, OverwriteCheck::Outcome::NotCheckable}) {
            std::tie(result.layer, result.outcome) = std::pair(layer, outcome);
            texts << q(ShredReport::warningText(result));
            reports << q(ShredReport::overwriteText(result));
        }
    result.flash = true;
    result.outcome = OverwriteCheck::Outcome::Verified;
    texts << q(ShredReport::warningText(result));
    texts << q(PanelText::readOnlyText()) << q(PanelText::folderText())
          << q(ShredReport::readOnlyRefusalText());
    texts << q(ShredReport::incompleteText()) << q(ShredReport::nameKeptText())
          << q(ShredReport::noSpaceText(qint64(20) << 30, 255 << 20,
                                        CoreBridge::numberFormat(QLocale(QLocale::German))))
          << q(TargetIntake::ambiguityText(1)) << q(TargetIntake::ambiguityText(99))
          << q(TargetIntake::lookAlikeScanText());
    for (const QString& text : texts) {
        window->lblMsg->setText(text);
        EXPECT_EQ(window->lblMsg->visibleLineCount(), window->lblMsg->lineCount())
            << window->lblMsg->text().toStdString();
    }
    for (const QString& text : reports) {
        window->lblEmpty->setText(text);
        EXPECT_EQ(window->lblEmpty->visibleLineCount(), window->lblEmpty->lineCount()) << text.toStdString();
    }
}

// A file dropped during the run replaces the target at once, and a second click is not obeyed; the finishing
// run clears the target all the same, naming the file it destroyed.
TEST_F(DeleteCommandTest, DropAndClickDuringTheRun)
{
    open();
    const QString shredded = makeFile(QStringLiteral("weg.bin"), TwoBlocks);
    const QString dropped = makeFile(QStringLiteral("neu.txt"));
    const auto data = filesData({dropped});
    load(shredded);
    QString targetDuringRun;
    fileSystem.onWrite = [&](int number) {
        if (number == 1) {
            postDrop(window->lblMsg, data.get());
            QMetaObject::invokeMethod(window->cmdDelete, &QPushButton::click, Qt::QueuedConnection);
        }
        if (number == 3)
            onUiThread([&] { targetDuringRun = window->TargetPath(); });
    };
    window->cmdDelete->click();
    EXPECT_EQ(targetDuringRun, dropped);
    EXPECT_EQ(fileSystem.opens, 1);
    expectDestroyedAndEmpty(shredded);
    EXPECT_TRUE(QFileInfo::exists(dropped));
    EXPECT_EQ(window->lblEmpty->text(),
              q(ShredReport::withDestroyedName(ShredReport::successText(), "weg.bin")));
    EXPECT_EQ(window->lblEmpty->visibleLineCount(), window->lblEmpty->lineCount());
}

// The close box, "&Beenden" or ticking "Nach Löschen schliessen" during the run let it finish the file; then
// the window closes.
TEST_F(DeleteCommandTest, ClosingDuringTheRunWaitsForTheFile)
{
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        const QString file = openWithFile(QStringLiteral("weg.bin"), TwoBlocks);
        QAbstractButton* const button = way == 1   ? static_cast<QAbstractButton*>(window->cmdCancel)
                                        : way == 2 ? window->chkQuit
                                                   : nullptr;
        bool visibleDuringRun = false;
        fileSystem.writes = 0;
        fileSystem.onWrite = [&](int number) {
            if (number == 1 && button)
                QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
            else if (number == 1)
                QMetaObject::invokeMethod(window.get(), &QWidget::close, Qt::QueuedConnection);
            if (number == 3)
                onUiThread([&] { visibleDuringRun = window->isVisible(); });
        };
        window->cmdDelete->click();
        EXPECT_TRUE(visibleDuringRun);
        EXPECT_FALSE(QFileInfo::exists(file));
        EXPECT_FALSE(window->isVisible());
        EXPECT_TRUE(window->TargetPath().isEmpty());
    }
    EXPECT_EQ(settings.saves, QStringList{QStringLiteral("tilgomatic/Options/QuitAction=1")});
}

// The window's thread turns its event loop while the worker is in the middle of a sweep
// (write 5 is in the second sweep), and while a write takes long.
TEST_F(DeleteCommandTest, WindowAnswersInTheMiddleOfASweep)
{
    const QString file = openWithFile(QStringLiteral("weg.bin"), TwoBlocks);
    QSemaphore handled;
    bool answered = false;
    fileSystem.onWrite = [&](int number) {
        if (number == 5) {
            QMetaObject::invokeMethod(
                window.get(), [&] { handled.release(); }, Qt::QueuedConnection);
            answered = handled.tryAcquire(1, 5000);
        }
    };
    window->cmdDelete->click();
    EXPECT_TRUE(answered);
    expectDestroyedAndEmpty(file);
}

// From half a second on the question gives way to the run's progress and the title carries the share;
// a click on the delete button meanwhile is answered there. After the run the title is plain again.
TEST_F(DeleteCommandTest, LongRunShowsProgressAndAnswersASecondClick)
{
    const QString file = openWithFile(QStringLiteral("weg.bin"), TwoBlocks);
    QString progress, title, notice;
    fileSystem.onWrite = [&](int number) {
        if (number == 4) {
            QThread::msleep(ProgressLine::ShowAfterMs + 2 * ProgressLine::UpdateIntervalMs);
            onUiThread([&] {
                progress = window->lblMsg->text();
                title = window->windowTitle();
                window->cmdDelete->click();
                notice = window->lblMsg->text();
            });
        }
    };
    window->cmdDelete->click();
    EXPECT_TRUE(progress.startsWith(QStringLiteral("Wird überschrieben: Durchgang 2 von 36\u00A0– 2\u00A0%")))
        << progress.toStdString();
    EXPECT_TRUE(title.startsWith(QStringLiteral("2\u00A0%\u00A0– Tilgomatic"))) << title.toStdString();
    EXPECT_TRUE(notice.startsWith(QStringLiteral("Bitte warten: Erst wird „weg.bin“ fertig überschrieben")))
        << notice.toStdString();
    EXPECT_EQ(fileSystem.opens, 1);
    expectDestroyedAndEmpty(file);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tilgomatic 1.0"));
}

// A termination signal during the run is taken like the close box: the file is finished, then the window
// closes.
TEST_F(DeleteCommandTest, TerminationSignalWaitsForTheFile)
{
    const QString file = openWithFile(QStringLiteral("weg.bin"), TwoBlocks);
    TerminationSignals termination;
    ASSERT_TRUE(termination.isActive());
    QObject::connect(&termination, &TerminationSignals::requested, window.get(), &frmMain::closeWhenRunEnds);
    QSemaphore requested;
    QObject::connect(&termination, &TerminationSignals::requested, [&] { requested.release(); });
    bool seen = false, visibleAfterRequest = false;
    fileSystem.onWrite = [&](int number) {
        if (number == 1) {
            ::kill(::getpid(), SIGTERM);
            seen = requested.tryAcquire(1, 5000);
            onUiThread([&] { visibleAfterRequest = window->isVisible(); });
        }
    };
    window->cmdDelete->click();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(visibleAfterRequest);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(window->isVisible());
}

} // namespace

// Where the file system keeps copies, cannot be checked, or the file has further names, the question
// warns of it first, the run says so afterwards, and "Nach Löschen schliessen" does not close the window.
TEST_F(DeleteCommandTest, EachOutcomeIsWarnedOfAndReported)
{
    const QString question = QString::fromUtf8(" Trotzdem schreddern und löschen?");
    struct Case
    {
        FileSystemKind kind;
        quint64 otherNames;
        quint32 extentFlags;
        const char* warning; // before the question
        const char* after;   // in the text after the run
        StorageMap::Overlay overlay = StorageMap::Overlay::None;
        FileSystemKind imageOn = FileSystemKind::Ext; // the file system of the image beneath
        quint32 inodeFlags = 0;
    };
    // clang-format off
    const Case cases[] = {
        {FileSystemKind::Btrfs, 0, 0, "Btrfs schreibt Änderungen an eine neue Stelle; alte Kopien bleiben.",
         "überschrieben, doch das Dateisystem behält Kopien des alten Inhalts: Btrfs schreibt Änderungen an eine neue Stelle."},
        {FileSystemKind::Other, 0, 0, "Dieses Dateisystem lässt nicht prüfen, ob Kopien bleiben.", "lässt Tilgomatic nicht prüfen, wo"},
        {FileSystemKind::Ext, 1, 0, "Die Datei hat weitere Namen (harte Links).", "umgebracht!\r\n\r\nIhr Inhalt ist unter jedem Namen überschrieben; nur ihre weiteren Namen (harte Links) bleiben bestehen."},
        // The longest texts: a shared block and further names.
        {FileSystemKind::Xfs, 1, StorageExtent::Shared, "Die Datei teilt ihre Blöcke mit einer Kopie; alte Kopien bleiben.",
         "teilt ihre Blöcke mit einer Kopie.\r\nWeitere Namen (harte Links) bleiben."},
        {FileSystemKind::Ext, 0, 0, "ext4 schreibt die Daten auch in sein Journal; alte Kopien bleiben.",
         "Kopien des alten Inhalts: ext4 schreibt die Daten auch in sein Journal.", StorageMap::Overlay::None, FileSystemKind::Ext, StorageMap::JournalData},
        {FileSystemKind::Ext, 0, 0, "Die Abbilddatei liegt auf Btrfs, das Änderungen an eine neue Stelle schreibt.",
         "Kopien des alten Inhalts: die Abbilddatei liegt auf Btrfs, das Änderungen an eine neue Stelle schreibt.", StorageMap::Overlay::None, FileSystemKind::Btrfs},
        // Only the upper copy is deleted: the text must not say the original was.
        {FileSystemKind::Ext, 1, 0, "Das Original bleibt unverändert in der unteren Schicht des Overlays.",
         "Die Datei wurde in der oberen Schicht des Overlays überschrieben und entfernt, doch das Original bleibt unverändert in der unteren Schicht.", StorageMap::Overlay::LowerToo},
    };
    // clang-format on
    for (const Case& c : cases) {
        fileSystem.storage.kind = c.kind;
        fileSystem.storage.otherNames = c.otherNames;
        fileSystem.storage.extents = {{0, 0, 40960, c.extentFlags}};
        fileSystem.storage.overlay = c.overlay;
        fileSystem.storage.inodeFlags = c.inodeFlags;
        fileSystem.storage.layers.assign(1, {StorageLayer::Kind::ImageFile, "loop0", {}, -1, 0, {}});
        fileSystem.storage.layers[0].image = RecordingFileSystem::inPlaceStorage();
        fileSystem.storage.layers[0].image.kind = c.imageOn;
        const QString file = openWithFile(QStringLiteral("a.txt"), 40000);
        EXPECT_EQ(window->lblMsg->text(), QString::fromUtf8(c.warning) + question);
        EXPECT_EQ(window->lblMsg->visibleLineCount(), window->lblMsg->lineCount()) << int(c.kind);
        window->chkQuit->setChecked(true);
        window->cmdDelete->click();
        EXPECT_FALSE(QFileInfo::exists(file));
        ASSERT_TRUE(window->isVisible()) << int(c.kind);
        EXPECT_TRUE(window->lblEmpty->text().contains(QString::fromUtf8(c.after))) << c.after;
        if (c.overlay != StorageMap::Overlay::None) {
            EXPECT_FALSE(window->lblEmpty->text().contains(QString::fromUtf8("gelöscht")));
        }
        EXPECT_EQ(window->lblEmpty->visibleLineCount(), window->lblEmpty->lineCount()) << int(c.kind);
        window->close();
    }
}
