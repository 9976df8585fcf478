// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/BrowseFolders.h"
#include "platform/gui/BrowseDialog.h"
#include "platform/gui/FileChooserDialog.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using modBrowseFolders::BrowseForFolder;

// Records the request and answers with a fixed result.
class RecordingDialog : public BrowseDialog
{
public:
    QString answer;
    std::optional<Request> request;

    QString exec(const Request& r) override
    {
        request = r;
        return answer;
    }
};

class BrowseFoldersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        folder = QDir::cleanPath(temp.path());
        QFile file(folder + "/Kontoauszug 2019.pdf");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        filePath = file.fileName();
    }

    QTemporaryDir temp;
    QString folder;
    QString filePath;
    QWidget owner;
    RecordingDialog dialog;
};

TEST_F(BrowseFoldersTest, TheMainWindowsCallAsksForFilesInTheNewStyleWithoutStatusLine)
{
    dialog.answer = filePath;
    const QString result =
        BrowseForFolder(dialog, "Datei zum löschen suchen", folder, &owner, false, std::nullopt, true, true);
    EXPECT_EQ(result, filePath);
    ASSERT_TRUE(dialog.request);
    const BrowseDialog::Request& r = *dialog.request;
    EXPECT_EQ(r.title, "Datei zum löschen suchen");
    EXPECT_EQ(r.startPath, folder);
    EXPECT_EQ(r.rootPath, "");
    EXPECT_EQ(r.owner, &owner);
    EXPECT_FALSE(r.statusLine);
    EXPECT_TRUE(r.newStyle);
    EXPECT_TRUE(r.includeFiles);
}

TEST_F(BrowseFoldersTest, ADollarTitleIsEmptiedOnlyWhenItWouldBeTakenForTheStatusMarker)
{
    const auto title = [&](const QString& t, bool status) {
        BrowseForFolder(dialog, t, folder, nullptr, status, std::nullopt, true, true);
        return dialog.request->title;
    };
    EXPECT_EQ(title("$", true), "");
    EXPECT_EQ(title("$ ", true), "$ ");
    EXPECT_EQ(title("$$", true), "$$");
    EXPECT_EQ(title("$", false), "$");
}

TEST_F(BrowseFoldersTest, RootAndStartPassOnlyWhenTheyExist)
{
    BrowseForFolder(dialog, "t", folder + "/fehlt", nullptr, false,
                    folder + "/../" + QFileInfo(folder).fileName(), true, true);
    EXPECT_EQ(dialog.request->startPath, "");
    EXPECT_EQ(dialog.request->rootPath, folder); // made clean
    BrowseForFolder(dialog, "t", filePath, nullptr, false, folder + "/fehlt", true, true);
    EXPECT_EQ(dialog.request->startPath, filePath);
    EXPECT_EQ(dialog.request->rootPath, "");
    BrowseForFolder(dialog, "t", QString(), nullptr, false, QString(), true, true);
    EXPECT_EQ(dialog.request->startPath, "");
    EXPECT_EQ(dialog.request->rootPath, "");
}

// With the real chooser (Qt's own, offscreen): the confirmed item comes back, a cancel gives nothing,
// and an item outside the requested root counts as a cancel.
TEST_F(BrowseFoldersTest, TheChooserReturnsTheConfirmedItemInsideTheRootOnly)
{
    LinuxFileSystem fileSystem;
    FileChooserDialog chooser(fileSystem, false);
    QDir(folder).mkdir("innen");
    const QString inner = folder + "/innen/a.txt";
    QFile(inner).open(QIODevice::WriteOnly);
    const struct
    {
        QString pick; // empty: cancel
        std::optional<QString> root;
        QString expected;
    } cases[] = {
        {filePath, std::nullopt, filePath},
        {QString(), std::nullopt, ""},
        {inner, folder + "/innen", inner},
        {filePath, folder + "/innen", ""},
    };
    for (const auto& c : cases) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            if (c.pick.isEmpty())
                return dialog->reject();
            dialog->setDirectory(QFileInfo(c.pick).absolutePath());
            dialog->selectFile(c.pick);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        EXPECT_EQ(BrowseForFolder(chooser, "t", folder, &owner, false, c.root, true, true), c.expected)
            << c.pick.toStdString();
    }
}

} // namespace
