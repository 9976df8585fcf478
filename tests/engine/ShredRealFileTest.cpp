// SPDX-License-Identifier: GPL-3.0-or-later
// Shredding real files in a temporary folder through the Linux file layer.

#include "engine/Shredder.h"
#include "platform/FileError.h"
#include "platform/linux/LinuxFileSystem.h"
#include "support/CoreText.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using modShredder::ShredFile;
using modShredder::ShredResult;

namespace {

constexpr qint64 Block = 32768;

// Bytes that no sweep can leave behind: no block of them is uniform.
QByteArray patterned(qint64 length)
{
    QByteArray bytes(length, Qt::Uninitialized);
    for (qint64 i = 0; i < length; ++i)
        bytes[i] = char((i * 7 + 3) % 251);
    return bytes;
}

// True when every byte of bytes[from, from + count) equals value.
bool uniform(const QByteArray& bytes, qint64 from, qint64 count, char value)
{
    for (qint64 i = from; i < from + count; ++i)
        if (bytes[i] != value)
            return false;
    return true;
}

class ShredRealFile : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    ShredResult shred(const QString& target, const std::function<void()>& onYield = {})
    {
        return ShredFile(p(target), 9, fs, onYield);
    }

    QTemporaryDir dir;
    LinuxFileSystem fs;
};

} // namespace

TEST_F(ShredRealFile, FilesOfEverySizeAreGoneAfterwards)
{
    for (qint64 length : {qint64(0), qint64(1), Block - 1, Block, Block + 1, 3 * Block + 17}) {
        const QString target = path("victim.dat");
        writeFile(target, patterned(length));
        const ShredResult result = shred(target);
        EXPECT_TRUE(result.fullyOverwritten()) << length;
        EXPECT_FALSE(nameExists(target)) << length;
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

// A second hard link keeps the inode reachable, so the bytes the run really wrote can be read back.
TEST_F(ShredRealFile, EverySweepOverwritesTheBytesInPlace)
{
    const qint64 length = 3 * Block + 5;
    const QString target = path("victim.dat");
    const QString witness = path("witness.dat");
    writeFile(target, patterned(length));
    ASSERT_EQ(::link(QFile::encodeName(target).constData(), QFile::encodeName(witness).constData()), 0);

    // The lease that keeps other openers out would hold the witness's reads for the kernel's lease-break
    // time.
    struct WithoutLease : LinuxFileSystem
    {
        OpenResult openExclusive(const Path& path, const FileIdentity& expected) override
        {
            const OpenResult opened = LinuxFileSystem::openExclusive(path, expected);
            ::fcntl(opened.handle, F_SETLEASE, F_UNLCK);
            return opened;
        }
    } unleased;
    int yields = 0;
    QByteArray afterFirstBlock, beforeFirstRandomSweep;
    const ShredResult result = ShredFile(p(target), 9, unleased, [&] {
        ++yields;
        if (yields == 1)
            afterFirstBlock = readFile(witness);
        if (yields == 9 * 3 + 1) // after the blocks of nine first sweeps
            beforeFirstRandomSweep = readFile(witness);
    });

    EXPECT_TRUE(result.fullyOverwritten());
    EXPECT_FALSE(nameExists(target));
    EXPECT_EQ(yields, 9 * 3 + 9);

    ASSERT_EQ(afterFirstBlock.size(), length);
    EXPECT_TRUE(uniform(afterFirstBlock, 0, Block, 0x00));
    EXPECT_EQ(afterFirstBlock.mid(Block), patterned(length).mid(Block))
        << "only the first block is written yet";

    ASSERT_EQ(beforeFirstRandomSweep.size(), length);
    EXPECT_TRUE(uniform(beforeFirstRandomSweep, 0, 3 * Block, char(0xFF)));
    EXPECT_TRUE(uniform(beforeFirstRandomSweep, 3 * Block, 5, char(0x8C)));

    const QByteArray last = readFile(witness);
    ASSERT_EQ(last.size(), length) << "the length never changes";
    for (qint64 from = 0; from < length; from += Block) {
        const qint64 count = std::min(Block, length - from);
        EXPECT_NE(last[from], 0) << "random bytes are never 0";
        EXPECT_TRUE(uniform(last, from, count, last[from])) << "one value per block, at " << from;
    }
}

TEST_F(ShredRealFile, ReadOnlyFileIsMadeWritableAndDestroyed)
{
    const QString target = path("readonly.dat");
    const QString witness = path("witness.dat");
    writeFile(target, patterned(Block + 1), 0444);
    ASSERT_EQ(::link(QFile::encodeName(target).constData(), QFile::encodeName(witness).constData()), 0);

    const ShredResult result = shred(target);

    EXPECT_TRUE(result.fullyOverwritten());
    EXPECT_FALSE(nameExists(target));
    // The mode belongs to the inode, so the other link shows the permission the run gave back.
    EXPECT_EQ(modeOf(witness), mode_t(0644));
    EXPECT_NE(readFile(witness), patterned(Block + 1));
}

TEST_F(ShredRealFile, FileHeldOpenByAnotherProcessIsRefusedAndKept)
{
    const QString target = path("busy.dat");
    const QByteArray content = patterned(2 * Block + 9);
    writeFile(target, content);

    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const QByteArray name = QFile::encodeName(target);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(release[1]); // so that the parent's close reads here as end of file
        const int fd = ::open(name.constData(), O_RDONLY);
        char byte = fd >= 0 ? 'y' : 'n';
        (void)!::write(ready[1], &byte, 1);
        (void)!::read(release[0], &byte, 1); // holds the file until the parent lets go
        ::_exit(0);
    }
    ::close(ready[1]); // a child that dies early then reads as end of file, not as a hang
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'y');

    const ShredResult refused = shred(target);

    ::close(release[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    for (int fd : {ready[0], release[0]})
        ::close(fd);

    EXPECT_EQ(refused.open, OpenStatus::InUse);
    EXPECT_EQ(readFile(target), content);

    // Once the other process has let go, the same file is destroyed.
    EXPECT_TRUE(shred(target).fullyOverwritten());
    EXPECT_FALSE(nameExists(target));
}

TEST_F(ShredRealFile, SymbolicLinkIsRefusedAndNeitherEndIsTouched)
{
    const QString target = path("target.dat");
    const QString link = path("link.dat");
    const QByteArray content = patterned(Block + 3);
    writeFile(target, content, 0444);
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);

    const ShredResult result = shred(link);

    EXPECT_EQ(result.open, OpenStatus::NotRegularFile);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(target), content);
    EXPECT_EQ(modeOf(target), mode_t(0444)) << "the attribute step must not act through the link";
}

// Files the kernel only shows lie on no storage device: refused at load and at the run, before anything is
// touched, their mode included.
TEST_F(ShredRealFile, KernelFilesAreRefusedUntouched)
{
    for (const char* name : {"/sys/kernel/uevent_seqnum", "/proc/version"}) {
        const QString file = QString::fromLatin1(name);
        const mode_t mode = modeOf(file);
        EXPECT_EQ(fs.outlook(fs.identify(p(file))).status, OpenStatus::PseudoFile) << name;
        EXPECT_EQ(shred(file).open, OpenStatus::PseudoFile) << name;
        EXPECT_EQ(modeOf(file), mode) << name;
    }
}

TEST_F(ShredRealFile, FifoIsRefusedWithoutWaitingForAReader)
{
    const QString fifo = path("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);

    const ShredResult result = shred(fifo);

    EXPECT_EQ(result.open, OpenStatus::NotRegularFile);
    struct stat info
    {
    };
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(ShredRealFile, DirectoryRaisesTheLengthErrorAndStays)
{
    const QString folder = path("folder");
    ASSERT_TRUE(QDir().mkdir(folder));
    writeFile(folder + QStringLiteral("/inside.txt"), "kept");

    try {
        shred(folder);
        ADD_FAILURE() << "no error raised";
    } catch (const FileError& error) {
        EXPECT_EQ(error.error().value(), EISDIR);
    }
    EXPECT_EQ(readFile(folder + QStringLiteral("/inside.txt")), QByteArray("kept"));
}

TEST_F(ShredRealFile, MissingFileRaisesTheLengthErrorAndCreatesNothing)
{
    const QString missing = path("missing.dat");
    try {
        shred(missing);
        ADD_FAILURE() << "no error raised";
    } catch (const FileError& error) {
        EXPECT_EQ(error.error().value(), ENOENT);
        EXPECT_EQ(error.path(), p(missing));
    }
    EXPECT_FALSE(nameExists(missing));
}

// Under a file-size limit below the file's length the writes fail: the run ends and says so, the file stays.
TEST_F(ShredRealFile, FileSizeLimitFailsTheRunWithoutEndingTheProgram)
{
    const QString target = path("big.dat");
    writeFile(target, patterned(3 * Block));
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit limit{Block, Block};
        LinuxFileSystem childFs;
        const ShredResult result =
            ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? ShredFile(p(target), 9, childFs, {}) : ShredResult();
        ::_exit(result.opened() && !result.writesOk && !result.nameRemoved ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(nameExists(target));
}

// True when user nobody could make a file in folder.
bool othersCanWriteIn(const QString& folder)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const QByteArray name = QFile::encodeName(folder + QStringLiteral("/planted"));
        const bool made = ::setgid(65534) == 0 && ::setuid(65534) == 0 &&
                          ::open(name.constData(), O_CREAT | O_WRONLY, 0600) >= 0;
        ::_exit(made ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A run killed with its file in the private folder (between moving the name aside and removing it, or during
// the sweeps where the name goes there first, as on Btrfs): nobody else can reach it there, and the next load
// of a file from that folder finishes it. Overwritten in full, it is removed; otherwise it is put back under
// a name the user can see. A run killed with the name in place leaves nothing to finish.
TEST_F(ShredRealFile, KilledRunIsFinishedAtTheNextLoad)
{
    struct Row
    {
        const char* name;
        bool asideForSweeps;
        bool killAtFirstSync;
        int removed;
        bool putBack;
    };
    const Row rows[] = {
        {"between moving aside and removal", false, false, 1, false},
        {"at that moment, moved aside for the sweeps", true, false, 1, false},
        {"during the sweeps, moved aside for them", true, true, 0, true},
        {"during the sweeps, under its name", false, true, 0, false},
    };
    struct Killed : LinuxFileSystem
    {
        bool atSync = false;
        bool sync(Handle handle) override
        {
            return (atSync && ::raise(SIGKILL) != 0) || LinuxFileSystem::sync(handle);
        }
    };
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir work;
        ASSERT_EQ(::chmod(QFile::encodeName(work.path()).constData(), 0777), 0); // a folder others write in
        const QString target = work.filePath(QStringLiteral("A"));
        writeFile(target, patterned(Block + 5));
        const pid_t child = ::fork();
        if (child == 0) {
            Killed killed;
            killed.atSync = row.killAtFirstSync;
            killed.setNameAsideForSweeps(row.asideForSweeps);
            killed.setAfterNameAside([] { ::raise(SIGKILL); });
            ShredFile(p(target), 9, killed, {});
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        const bool underItsName = row.killAtFirstSync && !row.asideForSweeps;
        EXPECT_EQ(nameExists(target), underItsName);
        const QStringList left = QDir(work.path()).entryList(all);
        ASSERT_EQ(left.size(), 1);
        if (!underItsName) {
            EXPECT_EQ(modeOf(work.filePath(left.front())) & 0777, mode_t(0700));
            if (::geteuid() == 0) {
                EXPECT_TRUE(othersCanWriteIn(work.path()) && !othersCanWriteIn(work.filePath(left.front())));
                QFile::remove(work.filePath(QStringLiteral("planted")));
            }
        }

        const LeftoverReport report = fs.finishLeftovers(p(work.path()));
        EXPECT_EQ(report.removed, row.removed);
        EXPECT_EQ(report.putBack.size(), row.putBack ? 1U : 0U);
        EXPECT_TRUE(report.stuck.empty());
        const QString putBack = QStringLiteral("Tilgomatic-abgebrochen-") + left.front().mid(12);
        EXPECT_EQ(QDir(work.path()).entryList(all), underItsName  ? QStringList{QStringLiteral("A")}
                                                    : row.putBack ? QStringList{putBack}
                                                                  : QStringList());
        if (row.putBack) {
            EXPECT_EQ(readFile(work.filePath(putBack)), QByteArray(Block, 0) + QByteArray(5, 0x5A));
        }
    }
}

// Every regular file below folder with its content and mode, by path.
// The content of unread is not read (it would wait out the run's lease): it stands as "".
std::map<QString, std::pair<QByteArray, mode_t>> contentsBelow(const QString& folder,
                                                               const QString& unread = QString())
{
    std::map<QString, std::pair<QByteArray, mode_t>> contents;
    // The path is taken first: the right side of an assignment is evaluated before its left.
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        contents[path] = {path == unread ? QByteArray() : readFile(path), modeOf(path)};
    }
    return contents;
}

// The path that was loaded no longer names the file that was described, swapped before the run, after its
// identity check (where the mode is changed) or between the last sweep and the removal of the name. Nothing
// but the loaded file is written, no other name is removed, and the run says so. Unchanged, the same
// identity lets the file be destroyed.
TEST_F(ShredRealFile, OnlyTheIdentifiedFileIsTouched)
{
    enum Moment { BeforeRun, AfterCheck, AtRemoval, AsideAtRemoval };
    struct Swap
    {
        const char* name;
        const char* command;
        Moment moment = BeforeRun;
    };
    const Swap swaps[] = {
        {"hard link", "ln -f V sub/A"},
        {"folder swapped for a link", "mv sub sub.old && ln -s other sub"},
        {"renamed", "mv sub/A sub/A2"},
        {"replaced", "cp V sub/A.new && mv sub/A.new sub/A"},
        // ext4 gives a freed inode number to the next file made.
        {"removed and made anew", "rm -f sub/A && cp V sub/A"},
        {"saved by rename twice", "cp V sub/A.1 && mv sub/A.1 sub/A && cp V sub/A.2 && mv sub/A.2 sub/A"},
        {"write-protected file swapped in after the check",
         "mv sub/A sub/A.old && cp V sub/A && chmod 444 sub/A", AfterCheck},
        {"renamed before the removal", "mv sub/A sub/A.moved", AtRemoval},
        {"another file put in its place before the removal", "mv sub/A sub/A.moved && cp V sub/A", AtRemoval},
        // Only root (or the user the run is of) can put a file in the private folder.
        {"another file put under the aside name",
         "d=$(echo sub/.tilgomatic-*) && mv $d/overwritten sub/A.moved && cp V $d/overwritten",
         AsideAtRemoval},
        {"unchanged", "true"},
    };
    // fileLength is the first step after the identity check.
    struct SwapAfterCheck : LinuxFileSystem
    {
        std::function<void()> swap;
        std::int64_t fileLength(const Path& path) override
        {
            if (swap)
                swap();
            return LinuxFileSystem::fileLength(path);
        }
    };
    for (const Swap& row : swaps) {
        QTemporaryDir work;
        const QString target = work.filePath(QStringLiteral("sub/A"));
        ASSERT_TRUE(QDir(work.path()).mkpath(QStringLiteral("sub")) && QDir(work.path()).mkpath("other"));
        writeFile(target, patterned(Block + 5), 0444);
        writeFile(work.filePath(QStringLiteral("other/A")), "other");
        writeFile(work.filePath(QStringLiteral("V")), "victim");
        const QString moved = work.filePath(QStringLiteral("sub/A.moved"));
        SwapAfterCheck swapping;
        const FileIdentity identity = swapping.identify(p(target));
        std::map<QString, std::pair<QByteArray, mode_t>> before;
        const auto swap = [&] {
            const QString command =
                QStringLiteral("cd '%1' && %2").arg(work.path(), QLatin1String(row.command));
            ASSERT_EQ(std::system(QFile::encodeName(command).constData()), 0) << row.name;
            before = contentsBelow(work.path(), moved);
        };
        if (row.moment == BeforeRun)
            swap();
        if (row.moment == AfterCheck)
            swapping.swap = swap;
        if (row.moment == AtRemoval)
            swapping.setBeforeNameRemoval(swap);
        if (row.moment == AsideAtRemoval)
            swapping.setAfterNameAside(swap);

        const ShredResult result = ShredFile(p(target), 9, swapping, {}, nullptr, identity);
        if (std::string(row.command) == "true") {
            EXPECT_TRUE(result.fullyOverwritten() && !nameExists(target)) << row.name;
            continue;
        }
        if (row.moment != AtRemoval && row.moment != AsideAtRemoval) {
            EXPECT_EQ(result.open, OpenStatus::Changed) << row.name;
            EXPECT_EQ(contentsBelow(work.path()), before) << row.name;
            continue;
        }
        // Overwritten, but its name elsewhere now: that name stays, and so does whatever took the old one;
        // what was put under the aside name goes back under the file's.
        EXPECT_TRUE(result.opened() && result.writesOk && result.syncsOk && !result.nameRemoved) << row.name;
        before[moved].second = 0444; // its protection given back
        for (auto it = before.begin(); it != before.end();)
            it = it->first.contains(QStringLiteral("/.tilgomatic-"))
                     ? (before[target] = it->second, before.erase(it))
                     : std::next(it);
        EXPECT_EQ(contentsBelow(work.path(), moved), before) << row.name;
        EXPECT_NE(readFile(moved), patterned(Block + 5)) << row.name;
    }
}
