#include "shell/BrowseFolders.h"
#include "platform/gui/BrowseDialog.h"
#include "platform/gui/TreeBrowseDialog.h"
#include "platform/gui/TreeBrowseWindow.h"
#include "target/CompactPath.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QPushButton>
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
    EXPECT_EQ(r.flags, 0x4041u);
    EXPECT_EQ(r.title, "Datei zum löschen suchen");
    EXPECT_EQ(r.startPath, folder);
    EXPECT_EQ(r.rootPath, "");
    EXPECT_EQ(r.owner, &owner);
    EXPECT_FALSE(r.statusLine);
    EXPECT_TRUE(r.newStyle);
    EXPECT_TRUE(r.includeFiles);
    EXPECT_FALSE(r.statusText);
}

TEST_F(BrowseFoldersTest, FlagsFollowTheOptions)
{
    const auto flags = [&](bool status, bool newStyle, bool files) {
        BrowseForFolder(dialog, "t", folder, nullptr, status, std::nullopt, newStyle, files);
        return dialog.request->flags;
    };
    EXPECT_EQ(flags(false, false, false), 0x1u);
    EXPECT_EQ(flags(true, false, false), 0x5u);
    EXPECT_EQ(flags(false, true, false), 0x41u);
    EXPECT_EQ(flags(false, false, true), 0x4001u);
    EXPECT_EQ(flags(true, true, true), 0x4045u);
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

// A path that is n pixels wide in metrics, made of short folder names so it can be cut finely.
QString pathOfWidth(const QFontMetrics& metrics, int atLeast)
{
    QString path;
    while (metrics.horizontalAdvance(path) < atLeast)
        path += "/ab";
    return path;
}

TEST(BrowseFoldersStatus, ThePathGetsTheLineLessThePrefixPlusEightyPixels)
{
    QFont font = QApplication::font();
    font.setPixelSize(12);
    const QFontMetrics metrics(font);

    // 300-px line, 50-px prefix: 330 px for the path. One between 300 and 330 px stays whole.
    const QString fits = pathOfWidth(metrics, 305);
    ASSERT_LE(metrics.horizontalAdvance(fits), 330);
    EXPECT_EQ(modBrowseFolders::statusText(metrics, fits, 300, 50), "Auswahl: " + fits);

    const QString longer = pathOfWidth(metrics, 600) + "/Kontoauszug.pdf";
    const QString shown = modBrowseFolders::statusText(metrics, longer, 300, 50);
    ASSERT_TRUE(shown.startsWith("Auswahl: "));
    const QString shortened = shown.mid(9);
    EXPECT_EQ(shortened, modCompactPath::compactToPixels(metrics, longer, 330));
    EXPECT_LE(metrics.horizontalAdvance(shortened), 330);
    EXPECT_TRUE(shortened.endsWith("/Kontoauszug.pdf"));

    EXPECT_EQ(modBrowseFolders::statusText(metrics, QString(), 300, 50), "");
}

TEST_F(BrowseFoldersTest, TheRequestsStatusTextMeasuresThePrefixInTheStatusFont)
{
    BrowseForFolder(dialog, "t", folder, nullptr, true, std::nullopt, true, true);
    ASSERT_TRUE(dialog.request->statusText);
    const QFontMetrics metrics(dialog.request->statusFont);
    const int prefix = metrics.horizontalAdvance("Auswahl: ");
    const QString path = pathOfWidth(metrics, 800);
    EXPECT_EQ(dialog.request->statusText(path, 300),
              "Auswahl: " + modCompactPath::compactToPixels(metrics, path, 300 - prefix + 80));
    EXPECT_EQ(dialog.request->statusText(QString(), 300), "");
}

// With the real dialog: the item selected when OK is clicked comes back; cancel gives nothing.
class BrowseFoldersWithTheTree : public BrowseFoldersTest
{
protected:
    QString browse(const std::function<void(TreeBrowseWindow&)>& act)
    {
        QTimer::singleShot(0, [&] {
            auto* window = dynamic_cast<TreeBrowseWindow*>(QApplication::activeModalWidget());
            if (!window) {
                ADD_FAILURE() << "no browse window";
                return;
            }
            act(*window);
            if (window == QApplication::activeModalWidget())
                window->reject();
        });
        return BrowseForFolder(tree, "Datei zum löschen suchen", folder, &owner, false, std::nullopt, true,
                               true);
    }
    TreeBrowseDialog tree;
};

TEST_F(BrowseFoldersWithTheTree, ConfirmsAFileOrAFolderAndCancelsToNothing)
{
    EXPECT_EQ(browse([&](TreeBrowseWindow& w) {
                  EXPECT_EQ(w.selectedPath(), folder); // opens on the start folder
                  EXPECT_TRUE(w.selectPath(filePath));
                  w.okButton()->click();
              }),
              filePath);
    EXPECT_EQ(browse([](TreeBrowseWindow& w) { w.okButton()->click(); }), folder);
    EXPECT_EQ(browse([](TreeBrowseWindow& w) { w.cancelButton()->click(); }), "");
}

} // namespace
