// SPDX-License-Identifier: GPL-3.0-or-later
#include "target/TargetIntake.h"
#include "platform/DropTarget.h"
#include "platform/NativePath.h"
#include "platform/gui/FontWidth.h"
#include "platform/linux/LinuxFileSystem.h"
#include "support/CoreText.h"
#include "support/RecordingFileSystem.h"
#include "support/TestFiles.h"
#include "target/LongPathName.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QLocale>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

using Kind = RecordingFileSystem::Kind;

const QString WorkingFolder = QStringLiteral("/work/dir");

// The intake through the window's crossing: the arguments and paths as the Qt side holds them.
QString commandLineTarget(const QStringList& arguments, const QString& workingFolder, FileSystem& fileSystem)
{
    return CoreBridge::fromPath(
        TargetIntake::commandLineTarget(CoreBridge::toNative(arguments), p(workingFolder), fileSystem));
}

// "~" cases against real files: the lookup keeps a path that exists and empties one that does not.
class CommandLineTilde : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        root = folder.path();
        ASSERT_TRUE(touch(root + "/a~b.txt"));
        ASSERT_TRUE(QDir(root).mkdir("~"));
        ASSERT_TRUE(touch(root + "/~/file"));
    }

    static bool touch(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly);
    }

    QString target(const QStringList& arguments, const QString& workingFolder = WorkingFolder)
    {
        return commandLineTarget(arguments, workingFolder, fileSystem);
    }

    QTemporaryDir folder;
    QString root;
    RecordingFileSystem fileSystem;
};

TEST_F(CommandLineTilde, ExistingPathIsKept)
{
    EXPECT_EQ(target({root + "/a~b.txt"}), root + "/a~b.txt");
    EXPECT_EQ(target({"  " + root + "/a~b.txt "}), root + "/a~b.txt");
    EXPECT_EQ(target({"1%", root + "/a~b.txt"}), root + "/a~b.txt");
    EXPECT_EQ(fileSystem.pathsOf(Kind::LongPathName).size(), 4u); // the padded text is looked up twice
}

// "1% foo" beside "foo": the word belongs to the name unless an absolute path follows it.
TEST_F(CommandLineTilde, ContextMenuWordIsDroppedOnlyBeforeAnAbsolutePath)
{
    ASSERT_TRUE(touch(root + "/1% foo") && touch(root + "/foo"));
    EXPECT_EQ(target({"1% foo"}, root), root + "/1% foo");
    EXPECT_EQ(target({"1%", "foo"}, root), root + "/1% foo");
    EXPECT_EQ(target({"1%", root + "/foo"}, root), root + "/foo");
}

TEST_F(CommandLineTilde, QuotedPathFindsNothing)
{
    EXPECT_EQ(target({"\"" + root + "/a~b.txt\""}), "");
}

TEST_F(CommandLineTilde, MissingPathFindsNothing)
{
    EXPECT_EQ(target({root + "/missing~1.txt"}), "");
}

TEST_F(CommandLineTilde, RelativePathIsLookedUpInTheWorkingFolder)
{
    EXPECT_EQ(target({"a~b.txt"}, root), root + "/a~b.txt");
    EXPECT_EQ(target({"a~b.txt"}, WorkingFolder), "");
}

TEST_F(CommandLineTilde, LiteralTildeIsANameNotTheHomeFolder)
{
    EXPECT_EQ(target({"~/file"}, root), root + "/~/file");
    EXPECT_EQ(fileSystem.pathsOf(Kind::LongPathName), std::vector<std::string>{t(root + "/~/file")});
}

TEST_F(CommandLineTilde, LongPathIsNotCut)
{
    QString path = root;
    while (path.size() < 400) {
        path += "/" + QString(60, u'd');
        ASSERT_TRUE(QDir().mkdir(path));
    }
    path += "/long~name.txt";
    ASSERT_TRUE(touch(path));
    EXPECT_EQ(target({path}), path);
    EXPECT_EQ(modLongPathName::GetLongPath(fileSystem, p(path)), p(path));
}

// The choice's line for a look-alike: the name escaped, and its size and time written as the window's locale
// writes them (grouped bytes, local time), the name alone giving way to a narrow list.
TEST(CandidateText, EscapedNameThenSizeAndLocalTime)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const QFontMetrics metrics(QFont("DejaVu Sans", 8));
    const FontWidth font(metrics);
    const auto time = std::chrono::system_clock::from_time_t(1765112585); // 07.12.2025, 13:03:05 UTC
    const QString when = german.toString(QDateTime::fromSecsSinceEpoch(1765112585), "dd.MM.yyyy HH:mm:ss");
    const auto text = [&](std::int64_t size, bool withTime, int width) {
        return q(TargetIntake::candidateText("/tmp/K\xe4se.txt", size,
                                             withTime ? std::optional(time) : std::nullopt,
                                             CoreBridge::numberFormat(german), font, width));
    };
    EXPECT_EQ(text(1234567, true, 10000), "K\\xE4se.txt  (1.234.567 Bytes, " + when + ")");
    EXPECT_EQ(text(1, false, 10000), "K\\xE4se.txt  (1 Byte)");
    EXPECT_EQ(text(-1, false, 10000), "K\\xE4se.txt  (Grösse unbekannt)");
    const QString detail = "  (0 Bytes, " + when + ")";
    const int width = metrics.horizontalAdvance(detail) + 45; // room for a part of the name only
    const QString narrow = text(0, true, width);
    EXPECT_LE(metrics.horizontalAdvance(narrow), width);
    EXPECT_TRUE(narrow.startsWith("K") && narrow.contains(u'\u2026') && narrow.endsWith(detail))
        << narrow.toStdString();
}

QMimeData* withUrls(QMimeData& data, const QList<QUrl>& urls)
{
    data.setUrls(urls);
    return &data;
}

TEST(DroppedTarget, FirstOfThreeFilesUnchanged)
{
    QMimeData data;
    withUrls(data, {QUrl::fromLocalFile("/tmp/erste \"datei\"~1.txt"), QUrl::fromLocalFile("/tmp/zwei"),
                    QUrl::fromLocalFile("/tmp/drei")});
    EXPECT_EQ(DropTarget::droppedTarget(&data), "/tmp/erste \"datei\"~1.txt");
}

TEST(DroppedTarget, EntriesThatAreNoLocalFileAreNotPartOfTheFileList)
{
    QMimeData mixed;
    withUrls(mixed, {QUrl("http://example.org/a"), QUrl("file://remote.example/etc/x"),
                     QUrl::fromLocalFile("/tmp/b"), QUrl::fromLocalFile("/tmp/c")});
    EXPECT_EQ(DropTarget::droppedTarget(&mixed), "/tmp/b");
}

TEST(DroppedTarget, DecodesPercentEscapesAndLocalHost)
{
    QMimeData data;
    EXPECT_EQ(DropTarget::droppedTarget(withUrls(data, {QUrl("file:///tmp/a%20b%25.txt")})), "/tmp/a b%.txt");
    EXPECT_EQ(DropTarget::droppedTarget(withUrls(data, {QUrl("file://localhost/tmp/x")})), "/tmp/x");
}

TEST(DroppedTarget, RefusesWhatIsNoLocalFile)
{
    QMimeData text;
    text.setText("/tmp/some/file.txt");
    EXPECT_TRUE(DropTarget::droppedTarget(&text).isNull());

    QMimeData web;
    EXPECT_TRUE(DropTarget::droppedTarget(withUrls(web, {QUrl("https://example.org/file.txt")})).isNull());

    // A file of another machine must not turn into "//host/path", which names a local file.
    QMimeData remote;
    EXPECT_TRUE(DropTarget::droppedTarget(withUrls(remote, {QUrl("file://remote.example/etc/x")})).isNull());

    QMimeData empty;
    EXPECT_TRUE(DropTarget::droppedTarget(withUrls(empty, {})).isNull());
    EXPECT_TRUE(DropTarget::droppedTarget(nullptr).isNull());
}

// Names of every kind, created with their native bytes, through the real intake and the real file layer:
// the chosen file is destroyed and its look-alike neighbour stays.
struct ExactNameCase
{
    QByteArray file, neighbour;
    bool dropped = false;
};

class ExactName : public ::testing::TestWithParam<ExactNameCase>
{
};

TEST_P(ExactName, ReachesTheChosenFileAndNoOther)
{
    const ExactNameCase& c = GetParam();
    QTemporaryDir dir;
    const QString chosen = dir.path() + u'/' + NativePath::fromNative(c.file);
    const QString neighbour =
        dir.path() + u'/' + NativePath::fromNative(c.neighbour.isEmpty() ? "n" : c.neighbour);
    writeFile(chosen, "chosen");
    writeFile(neighbour, "neighbour");
    LinuxFileSystem fileSystem;
    QMimeData drop;
    drop.setUrls({QUrl::fromEncoded("file://" + NativePath::toNative(chosen).toPercentEncoding("/"))});
    // On the command line as the file-manager entries give it: the word, then the absolute path.
    const QString target = c.dropped ? DropTarget::droppedTarget(&drop)
                                     : commandLineTarget({"1%", chosen}, dir.path(), fileSystem);
    ASSERT_EQ(NativePath::toNative(target), NativePath::toNative(chosen));
    const FileSystem::OpenResult opened = fileSystem.openExclusive(p(target));
    ASSERT_EQ(opened.status, OpenStatus::Opened);
    EXPECT_TRUE(fileSystem.removeName(opened.handle));
    fileSystem.close(opened.handle);
    EXPECT_FALSE(nameExists(chosen));
    EXPECT_EQ(readFile(neighbour), "neighbour");
}

// A name with U+FFFD, as a file manager hands on one it could not decode, may stand for neighbours whose
// names hold undecodable bytes there; a literal U+FFFD stands for itself too.
TEST(LookAlikes, NeighboursAnUndecodableByteCouldHide)
{
    const std::pair<QByteArray, QList<QByteArray>> cases[] = {
        {"K\xef\xbf\xbdse.txt", {"K\xe4se.txt", "K\xe4\xe4se.txt"}},
        {"\xef\xbf\xbd\xef\xbf\xbd", {"\xef\xbf\xbd\xe4", "\xff\xfe"}},
        {"K\xe4se.txt", {}},
        {"Kase.txt", {}},
    };
    QTemporaryDir dir;
    const char* const others[] = {"K\xe4se.txt",
                                  "K\xe4\xe4se.txt",
                                  "Kse.txt",
                                  "K\xc3\xa4se.txt",
                                  "Kase.txt",
                                  "\xff\xfe",
                                  "\xef\xbf\xbd\xe4",
                                  "K\xef\xbf\xbdse.txt",
                                  "\xef\xbf\xbd\xef\xbf\xbd"};
    const auto native = [&](const char* name) { return QFile::encodeName(dir.path()) + '/' + name; };
    for (const char* other : others)
        writeFile(dir.path() + u'/' + NativePath::fromNative(other), "x");
    LinuxFileSystem fileSystem;
    for (const auto& [name, expected] : cases) {
        QList<QByteArray> found;
        for (const std::filesystem::path& path :
             TargetIntake::lookAlikes(p(dir.path() + u'/' + NativePath::fromNative(name)), fileSystem))
            found.append(QByteArray::fromStdString(path.native().substr(native("").size())));
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, expected) << name.toHex().constData();
    }
    for (const char* other : others) // QTemporaryDir cannot remove names that are no UTF-8
        ::unlink(native(other).constData());
}

INSTANTIATE_TEST_SUITE_P(Names, ExactName,
                         ::testing::Values(ExactNameCase{"K\xe4se.txt", ""}, ExactNameCase{"t.txt ", "t.txt"},
                                           ExactNameCase{"a\"b.txt", "ab.txt"},
                                           ExactNameCase{"caf\xe4.txt", "caf\xef\xbf\xbd.txt"},
                                           ExactNameCase{"zwei\nZeilen", "zwei"},
                                           ExactNameCase{"$HOME \\ 'x' `y`", ""},
                                           ExactNameCase{"\"~1\"", "~1"},
                                           ExactNameCase{"overlong\xc0\xaf surrogate\xed\xa0\x80", ""},
                                           ExactNameCase{"-reverse", ""},
                                           ExactNameCase{"caf\xe4.txt", "caf\xef\xbf\xbd.txt", true},
                                           ExactNameCase{"50%\n\"x\" cut\xe2\x82", "", true}));

} // namespace
