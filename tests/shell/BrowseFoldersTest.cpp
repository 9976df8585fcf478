// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/BrowseFolders.h"
#include "platform/gui/BrowseDialog.h"
#include "platform/gui/FileChooserDialog.h"
#include "platform/linux/LinuxFileSystem.h"
#include "support/CoreText.h"

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
    std::filesystem::path answer;
    std::optional<Request> request;

    std::filesystem::path exec(const Request& r) override
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
    dialog.answer = p(filePath);
    const std::filesystem::path result = BrowseForFolder(dialog, "Datei zum löschen suchen", p(folder),
                                                         &owner, false, std::nullopt, true, true);
    EXPECT_EQ(result, p(filePath));
    ASSERT_TRUE(dialog.request);
    const BrowseDialog::Request& r = *dialog.request;
    EXPECT_EQ(r.title, "Datei zum löschen suchen");
    EXPECT_EQ(r.startPath, p(folder));
    EXPECT_EQ(r.rootPath, "");
    EXPECT_EQ(r.owner, static_cast<BrowseDialog::Owner>(&owner));
    EXPECT_TRUE(r.includeFiles);
}

TEST_F(BrowseFoldersTest, ADollarTitleIsEmptiedOnlyWhenItWouldBeTakenForTheStatusMarker)
{
    const auto title = [&](const std::string& text, bool status) {
        BrowseForFolder(dialog, text, p(folder), nullptr, status, std::nullopt, true, true);
        return dialog.request->title;
    };
    EXPECT_EQ(title("$", true), "");
    EXPECT_EQ(title("$ ", true), "$ ");
    EXPECT_EQ(title("$$", true), "$$");
    EXPECT_EQ(title("$", false), "$");
}

TEST_F(BrowseFoldersTest, RootAndStartPassOnlyWhenTheyExist)
{
    BrowseForFolder(dialog, "t", p(folder + "/fehlt"), nullptr, false,
                    p(folder + "/../" + QFileInfo(folder).fileName() + "/"), true, true);
    EXPECT_EQ(dialog.request->startPath, "");
    EXPECT_EQ(dialog.request->rootPath, p(folder)); // made clean
    BrowseForFolder(dialog, "t", p(filePath), nullptr, false, p(folder + "/fehlt"), true, true);
    EXPECT_EQ(dialog.request->startPath, p(filePath));
    EXPECT_EQ(dialog.request->rootPath, "");
    BrowseForFolder(dialog, "t", {}, nullptr, false, std::filesystem::path(), true, true);
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
        const std::optional<std::filesystem::path> root = c.root ? std::optional(p(*c.root)) : std::nullopt;
        EXPECT_EQ(BrowseForFolder(chooser, "t", p(folder), &owner, false, root, true, true), p(c.expected))
            << c.pick.toStdString();
    }
}

} // namespace
