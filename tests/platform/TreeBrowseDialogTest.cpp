#include "platform/gui/TreeBrowseDialog.h"
#include "platform/gui/FileChooserDialog.h"
#include "platform/gui/TreeBrowseWindow.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs the real dialog; act runs inside its event loop as soon as the window is up and should close
// it. A window that act leaves open is cancelled so the test never blocks.
QString runDialog(const BrowseDialog::Request& request, const std::function<void(TreeBrowseWindow&)>& act,
                  bool* leftOpen = nullptr)
{
    QTimer::singleShot(0, [&] {
        auto* window = dynamic_cast<TreeBrowseWindow*>(QApplication::activeModalWidget());
        if (!window) {
            ADD_FAILURE() << "the browse window is not the active modal window";
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* found = dynamic_cast<TreeBrowseWindow*>(widget))
                    found->reject();
            return;
        }
        act(*window);
        if (auto* still = dynamic_cast<TreeBrowseWindow*>(QApplication::activeModalWidget())) {
            if (leftOpen)
                *leftOpen = true;
            still->reject();
        }
    });
    return TreeBrowseDialog().exec(request);
}

class TreeBrowseDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        root = QDir::cleanPath(temp.path());
        ASSERT_TRUE(QDir(root).mkpath("Ordner/Unterordner"));
        ASSERT_TRUE(QDir(root).mkpath(".versteckt"));
        ASSERT_TRUE(QDir(root).mkpath("Nachbar"));
        file = makeFile("Ordner/geheim.txt");
        hiddenFile = makeFile(".versteckt/datei.txt");
        request.owner = &owner;
        request.title = QStringLiteral("Datei zum löschen suchen");
        request.newStyle = true;
        request.includeFiles = true;
    }

    QString makeFile(const QString& relative)
    {
        QFile f(root + '/' + relative);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
        return f.fileName();
    }

    QTemporaryDir temp;
    QString root;
    QString file;
    QString hiddenFile;
    QWidget owner;
    BrowseDialog::Request request;
};

TEST_F(TreeBrowseDialogTest, OpensOnTheStartFolderAndConfirmsIt)
{
    request.startPath = root + "/Ordner";
    const QString result = runDialog(request, [&](TreeBrowseWindow& window) {
        EXPECT_EQ(window.parentWidget(), &owner);
        EXPECT_TRUE(window.isModal());
        EXPECT_EQ(window.titleLabel()->text(), "Datei zum löschen suchen");
        EXPECT_EQ(window.windowTitle(), "Datei oder Ordner suchen");
        EXPECT_EQ(window.okButton()->text(), "OK");
        EXPECT_EQ(window.cancelButton()->text(), "Abbrechen");
        EXPECT_FALSE(window.statusLine()->isVisible());
        EXPECT_EQ(window.topPath(), "/");
        EXPECT_EQ(window.selectedPath(), root + "/Ordner");
        EXPECT_EQ(window.tree()->currentIndex().data().toString(), "Ordner");
        EXPECT_TRUE(window.okButton()->isEnabled());
        window.okButton()->click();
    });
    EXPECT_EQ(result, root + "/Ordner");
}

TEST_F(TreeBrowseDialogTest, ConfirmsAFileAndCancelsToNothing)
{
    request.startPath = file;
    EXPECT_EQ(runDialog(request, [](TreeBrowseWindow& window) { window.okButton()->click(); }), file);
    EXPECT_EQ(runDialog(request, [](TreeBrowseWindow& window) { window.cancelButton()->click(); }), "");

    // A start item inside a hidden folder is still shown and selected.
    request.startPath = hiddenFile;
    EXPECT_EQ(runDialog(request, [](TreeBrowseWindow& window) { window.okButton()->click(); }), hiddenFile);
}

TEST_F(TreeBrowseDialogTest, WithoutFilesOnlyFoldersCanBeSelected)
{
    request.includeFiles = false;
    request.startPath = file;
    runDialog(request, [&](TreeBrowseWindow& window) {
        EXPECT_EQ(window.windowTitle(), "Ordner suchen");
        EXPECT_EQ(window.selectedPath(), "");
        EXPECT_FALSE(window.okButton()->isEnabled());
        EXPECT_FALSE(window.selectPath(file));
        EXPECT_TRUE(window.selectPath(root + "/Ordner/Unterordner"));
        EXPECT_TRUE(window.okButton()->isEnabled());
        window.cancelButton()->click();
    });
}

TEST_F(TreeBrowseDialogTest, NothingSelectedOrAVanishedItemCannotBeConfirmed)
{
    request.startPath = temp.filePath("gibt-es-nicht");
    bool leftOpen = false;
    QString result = runDialog(
        request,
        [](TreeBrowseWindow& window) {
            EXPECT_EQ(window.selectedPath(), "");
            EXPECT_FALSE(window.okButton()->isEnabled());
            window.accept(); // as Enter would, were OK enabled
        },
        &leftOpen);
    EXPECT_TRUE(leftOpen);
    EXPECT_EQ(result, "");

    request.startPath = file;
    leftOpen = false;
    result = runDialog(
        request,
        [&](TreeBrowseWindow& window) {
            ASSERT_TRUE(window.okButton()->isEnabled());
            ASSERT_TRUE(QFile::remove(file)); // gone between selecting and confirming
            window.okButton()->click();
            EXPECT_FALSE(window.okButton()->isEnabled());
        },
        &leftOpen);
    EXPECT_TRUE(leftOpen);
    EXPECT_EQ(result, "");
}

TEST_F(TreeBrowseDialogTest, TheRootIsTheOneTopItem)
{
    request.rootPath = root + "/Ordner";
    request.startPath = root + "/Ordner/Unterordner";
    runDialog(request, [&](TreeBrowseWindow& window) {
        EXPECT_EQ(window.topPath(), root + "/Ordner");
        // Once the file system model knows the root's neighbour, the top level must still hide it.
        auto* files = window.findChild<QFileSystemModel*>();
        ASSERT_TRUE(files);
        ASSERT_TRUE(files->index(root + "/Nachbar").isValid());
        QAbstractItemModel* model = window.tree()->model();
        const QModelIndex top = window.tree()->rootIndex();
        ASSERT_EQ(model->rowCount(top), 1);
        EXPECT_EQ(model->index(0, 0, top).data().toString(), "Ordner");
        EXPECT_EQ(window.selectedPath(), root + "/Ordner/Unterordner");
        EXPECT_FALSE(window.selectPath(root + "/.versteckt")); // outside the root
        EXPECT_TRUE(window.selectPath(root + "/Ordner"));
        window.cancelButton()->click();
    });

    request.rootPath = temp.filePath("gibt-es-nicht"); // unknown: the whole file system
    runDialog(request, [&](TreeBrowseWindow& window) {
        EXPECT_EQ(window.topPath(), "/");
        QAbstractItemModel* model = window.tree()->model();
        ASSERT_EQ(model->rowCount(window.tree()->rootIndex()), 1);
        EXPECT_EQ(
            model->index(0, 0, window.tree()->rootIndex()).data(QFileSystemModel::FilePathRole).toString(),
            "/");
        window.cancelButton()->click();
    });
}

TEST_F(TreeBrowseDialogTest, TheStatusLineShowsWhatTheRequestMakesOfTheSelection)
{
    QList<std::pair<QString, int>> calls;
    request.statusLine = true;
    request.statusText = [&](const QString& path, int width) {
        calls.append({path, width});
        return path.isEmpty() ? QString() : "Auswahl: " + QString::number(width) + " " + path;
    };
    request.startPath = root + "/Ordner";
    runDialog(request, [&](TreeBrowseWindow& window) {
        QLabel* status = window.statusLine();
        ASSERT_TRUE(status->isVisible());
        ASSERT_FALSE(calls.isEmpty());
        EXPECT_EQ(calls.last(), std::make_pair(root + "/Ordner", status->width()));
        EXPECT_EQ(status->text(), "Auswahl: " + QString::number(status->width()) + " " + root + "/Ordner");

        window.selectPath(file);
        EXPECT_EQ(calls.last().first, file);
        EXPECT_EQ(status->text(), "Auswahl: " + QString::number(status->width()) + " " + file);

        window.tree()->clearSelection();
        EXPECT_EQ(calls.last().first, "");
        EXPECT_EQ(status->text(), "");
        window.cancelButton()->click();
    });

    calls.clear();
    request.statusLine = false;
    runDialog(request, [&](TreeBrowseWindow& window) {
        window.selectPath(file);
        EXPECT_FALSE(window.statusLine()->isVisible());
        window.cancelButton()->click();
    });
    EXPECT_TRUE(calls.isEmpty()) << "the status text was asked for without a status line";
}

TEST_F(TreeBrowseDialogTest, TheStartItemStaysInViewWhileTheTreeFillsIn)
{
    for (int i = 0; i < 80; ++i)
        ASSERT_TRUE(QDir(root).mkpath(QString("Ordner/A%1").arg(i, 2, 10, QChar('0'))));
    request.startPath = root + "/Ordner/Unterordner";
    runDialog(request, [&](TreeBrowseWindow& window) {
        // The background loader brings the start item's neighbours; make the model learn them now.
        auto* files = window.findChild<QFileSystemModel*>();
        ASSERT_TRUE(files);
        for (int i = 0; i < 80; ++i)
            files->index(root + QString("/Ordner/A%1").arg(i, 2, 10, QChar('0')));
        for (int round = 0; round < 5; ++round)
            QCoreApplication::processEvents(); // the model's delayed sort, then the view's reaction
        const QRect item = window.tree()->visualRect(window.tree()->currentIndex());
        EXPECT_TRUE(window.tree()->viewport()->rect().intersects(item))
            << "start item at y=" << item.y() << ", view " << window.tree()->viewport()->height() << " high";
        window.cancelButton()->click();
    });
}

TEST_F(TreeBrowseDialogTest, AnOwnerThatGoesAwayWhileTheWindowIsOpenEndsItWithNothing)
{
    auto* doomed = new QWidget;
    request.owner = doomed;
    request.startPath = file;
    const QString result = runDialog(request, [&](TreeBrowseWindow&) { delete doomed; });
    EXPECT_EQ(result, "");
}

// The desktop's chooser, driven here as Qt's own, keeps the request's title and start folder.
TEST_F(TreeBrowseDialogTest, TheFileChooserKeepsTheRequest)
{
    request.startPath = root + "/Ordner";
    QTimer::singleShot(0, [&] {
        // Any other dialog ends the test with a bad cast instead of leaving it waiting.
        auto& chooser = dynamic_cast<QFileDialog&>(*QApplication::activeModalWidget());
        EXPECT_EQ(chooser.windowTitle(), "Datei zum löschen suchen");
        EXPECT_EQ(chooser.directory().absolutePath(), root + "/Ordner");
        chooser.selectFile(file);
        static_cast<QDialog&>(chooser).accept(); // as "Open" does
    });
    EXPECT_EQ(FileChooserDialog(false).exec(request), file);
}

} // namespace
