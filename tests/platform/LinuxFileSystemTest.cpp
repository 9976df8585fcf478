// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux file layer on real files in a temporary folder.

#include "platform/linux/LinuxFileSystem.h"
#include "platform/FileAttributes.h"
#include "platform/FileError.h"
#include "support/CoreText.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

class LinuxFileSystemTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    // The errno of the FileError that call raises, or 0 when it raises none.
    template <typename Call>
    static int errorOf(Call call)
    {
        try {
            call();
        } catch (const FileError& error) {
            return error.error().value();
        }
        return 0;
    }

    QTemporaryDir dir;
    LinuxFileSystem fs;
};

} // namespace

TEST_F(LinuxFileSystemTest, AttributeWordFromModeNameAndKind)
{
    writeFile(path("plain.txt"), "x");
    writeFile(path("locked.txt"), "x", 0444);
    writeFile(path(".hidden"), "x");
    writeFile(path(".hidden-locked"), "x", 0400);
    ASSERT_TRUE(QDir().mkdir(path("folder")));
    ASSERT_TRUE(QDir().mkdir(path(".folder")));
    ASSERT_TRUE(QDir().mkdir(path("locked-folder")));
    ASSERT_EQ(::chmod(native(path("locked-folder")).constData(), 0555), 0);
    // Only the owner's write permission counts.
    writeFile(path("others-cannot-write.txt"), "x", 0600);

    EXPECT_EQ(fs.attributes(p(path("plain.txt"))), 0);
    EXPECT_EQ(fs.attributes(p(path("locked.txt"))), FileAttributes::ReadOnly);
    EXPECT_EQ(fs.attributes(p(path(".hidden"))), FileAttributes::Hidden);
    EXPECT_EQ(fs.attributes(p(path(".hidden-locked"))), FileAttributes::ReadOnly | FileAttributes::Hidden);
    EXPECT_EQ(fs.attributes(p(path("folder"))), FileAttributes::Directory);
    EXPECT_EQ(fs.attributes(p(path("folder") + QStringLiteral("/"))), FileAttributes::Directory);
    EXPECT_EQ(fs.attributes(p(path(".folder"))), FileAttributes::Directory | FileAttributes::Hidden);
    EXPECT_EQ(fs.attributes(p(path("locked-folder"))), FileAttributes::Directory | FileAttributes::ReadOnly);
    EXPECT_EQ(fs.attributes(p(path("others-cannot-write.txt"))), 0);
    EXPECT_EQ(fs.attributes(p(path("folder") + QStringLiteral("/.."))), FileAttributes::Directory);
}

TEST_F(LinuxFileSystemTest, AttributesOfALinkAreTheLinksOwn)
{
    writeFile(path("locked.txt"), "x", 0444);
    ASSERT_EQ(::symlink("locked.txt", native(path("link")).constData()), 0);
    ASSERT_EQ(::symlink("nowhere", native(path("dangling")).constData()), 0);

    EXPECT_EQ(fs.attributes(p(path("link"))), 0);
    EXPECT_EQ(fs.attributes(p(path("dangling"))), 0);
}

TEST_F(LinuxFileSystemTest, AttributesOfAMissingFileRaise)
{
    EXPECT_EQ(errorOf([&] { fs.attributes(p(path("missing"))); }), ENOENT);
    EXPECT_EQ(errorOf([&] { fs.attributes(p(QString())); }), ENOENT);
}

TEST_F(LinuxFileSystemTest, SetAttributesChangesOnlyTheOwnersWritePermission)
{
    writeFile(path("a.txt"), "x", 0664);
    fs.setAttributes(p(path("a.txt")), FileAttributes::ReadOnly | FileAttributes::Hidden);
    EXPECT_EQ(modeOf(path("a.txt")), mode_t(0464));
    fs.setAttributes(p(path("a.txt")), FileAttributes::Archive);
    EXPECT_EQ(modeOf(path("a.txt")), mode_t(0664));
    fs.setAttributes(p(path("a.txt")), 0);
    EXPECT_EQ(modeOf(path("a.txt")), mode_t(0664));

    writeFile(path("b.sh"), "x", 0555);
    fs.setAttributes(p(path("b.sh")), FileAttributes::Archive);
    EXPECT_EQ(modeOf(path("b.sh")), mode_t(0755));
    EXPECT_EQ(fs.attributes(p(path("b.sh"))), 0);
}

TEST_F(LinuxFileSystemTest, SetAttributesNeverActsThroughALink)
{
    writeFile(path("locked.txt"), "x", 0444);
    writeFile(path("open.txt"), "x", 0644);
    ASSERT_EQ(::symlink("locked.txt", native(path("to-locked")).constData()), 0);
    ASSERT_EQ(::symlink("open.txt", native(path("to-open")).constData()), 0);

    // Nothing to change: a link reads as writable.
    fs.setAttributes(p(path("to-locked")), FileAttributes::Archive);
    EXPECT_EQ(modeOf(path("locked.txt")), mode_t(0444));
    // A change would have to go through the link: refused.
    EXPECT_EQ(errorOf([&] { fs.setAttributes(p(path("to-open")), FileAttributes::ReadOnly); }), ELOOP);
    EXPECT_EQ(modeOf(path("open.txt")), mode_t(0644));
}

TEST_F(LinuxFileSystemTest, SetAttributesOfAMissingFileRaises)
{
    EXPECT_EQ(errorOf([&] { fs.setAttributes(p(path("missing")), 32); }), ENOENT);
    EXPECT_FALSE(nameExists(path("missing")));
}

TEST_F(LinuxFileSystemTest, FileLengthFollowsLinksAndRefusesFolders)
{
    writeFile(path("empty"), "");
    writeFile(path("some"), QByteArray(12345, 'x'));
    ASSERT_EQ(::symlink("some", native(path("link")).constData()), 0);
    ASSERT_TRUE(QDir().mkdir(path("folder")));

    EXPECT_EQ(fs.fileLength(p(path("empty"))), 0);
    EXPECT_EQ(fs.fileLength(p(path("some"))), 12345);
    EXPECT_EQ(fs.fileLength(p(path("link"))), 12345);
    EXPECT_EQ(errorOf([&] { fs.fileLength(p(path("folder"))); }), EISDIR);
    EXPECT_EQ(errorOf([&] { fs.fileLength(p(path("missing"))); }), ENOENT);
    EXPECT_EQ(errorOf([&] { fs.fileLength(p(QString())); }), ENOENT);
    EXPECT_EQ(errorOf([&] { fs.fileLength(p(path("some") + QStringLiteral("/x"))); }), ENOTDIR);
}

TEST_F(LinuxFileSystemTest, LengthBeyondTwoGibibytes)
{
    // A sparse file: the length is there without the blocks.
    const QString big = path("big");
    writeFile(big, "");
    ASSERT_EQ(::truncate(native(big).constData(), (qint64(5) << 30) + 7), 0);
    EXPECT_EQ(fs.fileLength(p(big)), (qint64(5) << 30) + 7);
}

TEST_F(LinuxFileSystemTest, PathWithANulIsNeverCutShort)
{
    writeFile(path("abc"), "kept");
    const QString withNul = path("abc") + QChar(0) + QStringLiteral("def");

    EXPECT_EQ(errorOf([&] { fs.fileLength(p(withNul)); }), EINVAL);
    EXPECT_EQ(errorOf([&] { fs.attributes(p(withNul)); }), EINVAL);
    EXPECT_EQ(errorOf([&] { fs.setAttributes(p(withNul), FileAttributes::ReadOnly); }), EINVAL);
    EXPECT_EQ(fs.openExclusive(p(withNul)).status, OpenStatus::Failed);
    EXPECT_TRUE(fs.longPathName(p(withNul)).empty());
    EXPECT_EQ(readFile(path("abc")), QByteArray("kept"));
    EXPECT_EQ(modeOf(path("abc")), mode_t(0644));
}

TEST_F(LinuxFileSystemTest, OpenWritesInPlaceAndTheNameGoesOnlyWhenAsked)
{
    const QString target = path("victim");
    const QString witness = path("witness");
    writeFile(target, "abcdef");
    ASSERT_EQ(::link(native(target).constData(), native(witness).constData()), 0);

    const FileSystem::OpenResult opened = fs.openExclusive(p(target));
    ASSERT_EQ(opened.status, OpenStatus::Opened);
    EXPECT_EQ(opened.length, 6);

    EXPECT_TRUE(fs.write(opened.handle, "XY", 2));
    EXPECT_TRUE(fs.seekToStart(opened.handle));
    EXPECT_TRUE(fs.write(opened.handle, "Z", 1));
    EXPECT_TRUE(fs.write(opened.handle, "", 0));
    EXPECT_TRUE(fs.sync(opened.handle));
    EXPECT_TRUE(nameExists(target)) << "the name stays until removeName";
    EXPECT_TRUE(fs.removeName(opened.handle));
    EXPECT_FALSE(nameExists(target));
    EXPECT_TRUE(fs.close(opened.handle));
    EXPECT_EQ(readFile(witness), QByteArray("ZYcdef"));
}

TEST_F(LinuxFileSystemTest, OpenIsRefusedWhileAnotherDescriptorExists)
{
    const QString target = path("busy");
    writeFile(target, "content");
    QFile reader(target);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));

    const FileSystem::OpenResult refused = fs.openExclusive(p(target));
    EXPECT_EQ(refused.status, OpenStatus::InUse);
    EXPECT_EQ(refused.handle, FileSystem::InvalidHandle);
    EXPECT_EQ(readFile(target), QByteArray("content"));

    reader.close();
    const FileSystem::OpenResult opened = fs.openExclusive(p(target));
    ASSERT_EQ(opened.status, OpenStatus::Opened);
    EXPECT_TRUE(fs.close(opened.handle));
}

TEST_F(LinuxFileSystemTest, OpenRefusesAnythingButARegularFile)
{
    writeFile(path("target"), "content", 0644);
    ASSERT_EQ(::symlink("target", native(path("link")).constData()), 0);
    ASSERT_EQ(::mkfifo(native(path("fifo")).constData(), 0644), 0);
    ASSERT_TRUE(QDir().mkdir(path("folder")));

    for (const char* name : {"link", "fifo", "folder"}) {
        const FileSystem::OpenResult result = fs.openExclusive(p(path(name)));
        EXPECT_EQ(result.status, OpenStatus::NotRegularFile) << name;
        EXPECT_TRUE(nameExists(path(name))) << name;
    }
    EXPECT_EQ(fs.openExclusive(p(QStringLiteral("/dev/null"))).status, OpenStatus::NotRegularFile);
    EXPECT_EQ(readFile(path("target")), QByteArray("content"));
}

// Another process of this program that is destroying the file is named as this program; another holder
// by its name.
TEST_F(LinuxFileSystemTest, AHolderRunningThisProgramIsToldApart)
{
    const QString target = path("shared");
    writeFile(target, "content");
    for (const bool tilgomatic : {true, false}) {
        int ready[2]; // closed on exec: read once the holder is sleep, or has said it is ready
        ASSERT_EQ(::pipe2(ready, O_CLOEXEC), 0);
        const pid_t holder = ::fork();
        if (holder == 0) {
            if (tilgomatic) {
                LinuxFileSystem other;
                const bool opened = other.openExclusive(p(target)).status == OpenStatus::Opened;
                ::_exit(opened && ::write(ready[1], "y", 1) == 1 ? int(::pause()) : 1);
            }
            if (::open(native(target).constData(), O_RDONLY) >= 0)
                ::execlp("sleep", "sleep", "60", nullptr);
            ::_exit(1);
        }
        ::close(ready[1]);
        char answer = 0;
        ASSERT_EQ(::read(ready[0], &answer, 1), tilgomatic ? 1 : 0);
        const FileSystem::OpenResult refused = fs.openExclusive(p(target));
        EXPECT_EQ(refused.status, OpenStatus::InUse);
        EXPECT_EQ(refused.holderIsTilgomatic, tilgomatic);
        EXPECT_EQ(refused.holder == "sleep", !tilgomatic);
        ::kill(holder, SIGKILL);
        ::waitpid(holder, nullptr, 0);
        ::close(ready[0]);
    }
    EXPECT_EQ(readFile(target), QByteArray("content"));
}

TEST_F(LinuxFileSystemTest, OpenOfAMissingFileCreatesNothing)
{
    EXPECT_EQ(fs.openExclusive(p(path("missing"))).status, OpenStatus::NotFound);
    EXPECT_FALSE(nameExists(path("missing")));
    writeFile(path("file"), "x");
    EXPECT_EQ(fs.openExclusive(p(path("file") + QStringLiteral("/child"))).status, OpenStatus::NotFound);
    EXPECT_EQ(fs.openExclusive(p(QString())).status, OpenStatus::NotFound);
}

TEST_F(LinuxFileSystemTest, OpenWithoutPermissionIsDenied)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write and remove anything here";
    writeFile(path("locked"), "content", 0444);
    EXPECT_EQ(fs.openExclusive(p(path("locked"))).status, OpenStatus::AccessDenied);

    // Writable, but its folder is not: the name could not be removed, so nothing is written.
    ASSERT_TRUE(QDir().mkdir(path("shut")));
    writeFile(path("shut/inner"), "content", 0644);
    ASSERT_EQ(::chmod(native(path("shut")).constData(), 0555), 0);
    EXPECT_EQ(fs.openExclusive(p(path("shut/inner"))).status, OpenStatus::AccessDenied);
    EXPECT_EQ(readFile(path("shut/inner")), QByteArray("content"));
    ::chmod(native(path("shut")).constData(), 0755);
}

TEST_F(LinuxFileSystemTest, LongPathNameIsThePathWhenTheNameExists)
{
    writeFile(path("file"), "x");
    ASSERT_EQ(::symlink("nowhere", native(path("dangling")).constData()), 0);

    EXPECT_EQ(fs.longPathName(p(path("file"))), p(path("file")));
    EXPECT_EQ(fs.longPathName(p(path("dangling"))), p(path("dangling")));
    EXPECT_EQ(fs.longPathName(p(dir.path())), p(dir.path()));
    EXPECT_TRUE(fs.longPathName(p(path("missing"))).empty());
    EXPECT_TRUE(fs.longPathName(p(QString())).empty());
}

// Runs body in a child process as the user nobody, kept inspectable for nobody's other processes; returns
// its exit code, or without wait its pid.
template <typename Body>
static int asNobody(Body body, bool wait = true)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(99);
        ::prctl(PR_SET_DUMPABLE, 1);
        ::_exit(body());
    }
    int status = -1;
    return wait && ::waitpid(child, &status, 0) == child ? WEXITSTATUS(status) : child;
}

// Another user's file gets no lease: the panel is told so, and a holder of our own user is still found.
TEST_F(LinuxFileSystemTest, WithoutALeaseAHolderOfOurOwnUserIsSeen)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    ASSERT_EQ(::chmod(native(dir.path()).constData(), 0777), 0);
    const QString target = path("fremd.txt");
    writeFile(target, "content", 0666); // owned by root
    const auto shred = [&] {
        LinuxFileSystem nobodys;
        const bool unseen = nobodys.openersMayBeUnseen(p(target));
        const FileSystem::OpenResult opened = nobodys.openExclusive(p(target));
        if (opened.status == OpenStatus::Opened)
            nobodys.removeName(opened.handle);
        return int(opened.status) * 2 + int(unseen);
    };
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = asNobody(
        [&] {
            return ::open(native(target).constData(), O_RDONLY) < 0 || ::write(ready[1], "y", 1) != 1
                       ? 1
                       : int(::sleep(60));
        },
        false);
    ::close(ready[1]); // a holder that failed reads as end of file
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    EXPECT_EQ(asNobody(shred), int(OpenStatus::InUse) * 2 + 1);
    EXPECT_EQ(readFile(target), QByteArray("content"));

    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    EXPECT_EQ(asNobody(shred), int(OpenStatus::Opened) * 2 + 1);
    EXPECT_FALSE(nameExists(target));
}

// The look before a run needs no write access and changes nothing; anything but a regular file is not
// looked at at all.
TEST_F(LinuxFileSystemTest, StorageMapOfPathLooksOnlyAtRegularFiles)
{
    writeFile(path("target"), QByteArray(5000, 'x'), 0444);
    ASSERT_EQ(::link(native(path("target")).constData(), native(path("second")).constData()), 0);
    ASSERT_EQ(::symlink("target", native(path("link")).constData()), 0);
    ASSERT_EQ(::mkfifo(native(path("fifo")).constData(), 0644), 0);
    const QFileInfo before(path("target"));

    const StorageMap map = fs.storageMapOf(p(path("target")));
    EXPECT_TRUE(map.known && !map.typeName.empty());
    EXPECT_EQ(map.size, 5000);
    EXPECT_EQ(map.otherNames, 1u);
    for (const char* name : {"link", "fifo", "missing"})
        EXPECT_FALSE(fs.storageMapOf(p(path(name))).known) << name;
    EXPECT_FALSE(fs.storageMapOf(p(QStringLiteral("/dev/null"))).known);
    EXPECT_EQ(QFileInfo(path("target")).lastModified(), before.lastModified());
    EXPECT_EQ(QFileInfo(path("target")).metadataChangeTime(), before.metadataChangeTime());
}
