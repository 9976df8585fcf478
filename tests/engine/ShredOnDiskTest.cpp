// What reaches the storage device: small file systems in image files, mounted through a loop device,
// are searched byte by byte after a run, and the run's verdict must agree with what is found. This needs
// root and loop devices; elsewhere, or where the kernel or the tools lack a file system, it skips.

#include "engine/ShredReport.h"
#include "engine/Shredder.h"
#include "platform/linux/LinuxFileSystem.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs program with arguments; true when it ran and exited with 0.
bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// Repeated so that the marker stands in every block of the file.
QByteArray markedContent(const QByteArray& marker, qint64 length)
{
    QByteArray content;
    while (content.size() < length)
        content += marker;
    content.truncate(length);
    return content;
}

// One file system to measure: how to make and mount it, shell commands run in its mount point ($1)
// before and after the files are written, and the outcome each run on it must have.
struct DiskCase
{
    const char* name;
    const char* mkfs;  // program and options; the image path follows
    const char* mount; // options of mount
    qint64 imageMiB;
    const char* before;
    const char* after;
    OverwriteCheck::Outcome expected;      // for the files of a full block or more
    OverwriteCheck::Outcome expectedSmall; // for the 600-byte file
    bool markersGone;                      // no marker may remain, although nothing can be verified
};

void PrintTo(const DiskCase& disk, std::ostream* out)
{
    *out << disk.name;
}

class ShredOnDisk : public ::testing::Test
{
protected:
    void SetUp() override { mountImage("mkfs.ext4 -q -F", "-o loop", 32); }

    // Runs a DiskCase's shell command in the mount point.
    bool shell(const char* command)
    {
        return run(QStringLiteral("/bin/sh"),
                   {QStringLiteral("-c"), QString::fromUtf8(command), QStringLiteral("sh"), mountPoint});
    }

    void mountImage(const char* mkfs, const char* mountOptions, qint64 imageMiB)
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "mounting a file system image needs root";
        ASSERT_TRUE(work.isValid());
        image = work.filePath(QStringLiteral("disk.img"));
        mountPoint = work.filePath(QStringLiteral("mnt"));
        QDir().mkpath(mountPoint);
        QFile file(image);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(imageMiB * 1024 * 1024));
        file.close();
        const QStringList make = QString::fromLatin1(mkfs).split(QLatin1Char(' '));
        if (!run(make.first(), make.mid(1) << image))
            GTEST_SKIP() << mkfs << " is not available";
        if (!run(QStringLiteral("mount"), QString::fromLatin1(mountOptions).split(QLatin1Char(' '))
                                              << image << mountPoint))
            GTEST_SKIP() << "this kernel cannot mount " << mkfs << " from a loop device";
        mounted = true;
    }

    void TearDown() override { unmount(); }

    // Unmounts, so that every byte the kernel still held has gone to the image.
    void unmount()
    {
        if (mounted)
            mounted = !run(QStringLiteral("umount"), {mountPoint});
    }

    // How often marker stands in the image, read in pieces that overlap by the marker's length.
    qsizetype occurrencesInImage(const QByteArray& marker)
    {
        QFile file(image);
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        qsizetype count = 0;
        QByteArray carry;
        while (!file.atEnd()) {
            const QByteArray piece = carry + file.read(8 * 1024 * 1024);
            count += piece.count(marker);
            carry = piece.right(marker.size() - 1);
        }
        return count;
    }

    QTemporaryDir work;
    QString image;
    QString mountPoint;
    bool mounted = false;
};

class ShredOnDiskKinds : public ShredOnDisk, public ::testing::WithParamInterface<DiskCase>
{
protected:
    void SetUp() override { mountImage(GetParam().mkfs, GetParam().mount, GetParam().imageMiB); }
};

TEST_F(ShredOnDisk, NoByteOfTheFileIsLeftOnTheDeviceWhileADeletedOneStays)
{
    const QByteArray secret("SECRET-MARKER-that-must-vanish-0123456789");
    const QByteArray deleted("DELETED-MARKER-that-plain-removal-leaves");
    const QString secretFile = mountPoint + QStringLiteral("/secret.bin");
    const QString deletedFile = mountPoint + QStringLiteral("/deleted.bin");
    // A full block count plus a tail, so both kinds of write are on the device.
    writeFile(secretFile, markedContent(secret, 1024 * 1024 + 1000));
    writeFile(deletedFile, markedContent(deleted, 1024 * 1024));
    ::sync();

    LinuxFileSystem fileSystem;
    const modShredder::ShredResult result = modShredder::ShredFile(secretFile, 9, fileSystem, {});
    EXPECT_TRUE(result.fullyOverwritten());
    EXPECT_FALSE(nameExists(secretFile));
    ASSERT_TRUE(QFile::remove(deletedFile));

    unmount();
    ASSERT_FALSE(mounted);
    EXPECT_EQ(occurrencesInImage(secret), 0);
    // The comparison shows the search would find what an ordinary removal leaves behind.
    EXPECT_GT(occurrencesInImage(deleted), 1000);
}

// A run killed at its first sync (as by a crash or power loss) leaves the file under its name, with what the
// first sweep wrote, and it can be run again; one refused for want of space writes nothing.
TEST_F(ShredOnDisk, KilledRunLeavesTheNameAndARefusedOneWritesNothing)
{
    struct KilledAtFirstSync : LinuxFileSystem
    {
        bool sync(Handle) override { return ::raise(SIGKILL) == 0; }
    };
    const QString target = mountPoint + QStringLiteral("/target.bin");
    const qint64 length = 8 * 1024 * 1024 + 100;
    writeFile(target, markedContent("KILLED-RUN-MARKER", length));
    const pid_t child = ::fork();
    if (child == 0) {
        KilledAtFirstSync killed;
        modShredder::ShredFile(target, 9, killed, {});
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    ASSERT_TRUE(nameExists(target));
    EXPECT_EQ(readFile(target), QByteArray(length - 100, 0) + QByteArray(100, 0x5A)) << "the first sweep";

    // Sparse: 64 MiB long, 1 MiB of it on a 32 MiB file system. The sweeps would have to fill the holes.
    const QString sparse = mountPoint + QStringLiteral("/sparse.bin");
    writeFile(sparse, "");
    QFile file(sparse);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.seek(63 * 1024 * 1024));
    ASSERT_EQ(file.write(markedContent("SPARSE-END", 1024 * 1024)), 1024 * 1024);
    file.close();
    LinuxFileSystem fileSystem;
    const modShredder::ShredResult refused = modShredder::ShredFile(sparse, 9, fileSystem, {});
    EXPECT_EQ(refused.open, OpenStatus::NoSpace);
    EXPECT_EQ(refused.spaceNeeded, 63 * 1024 * 1024);
    EXPECT_LT(refused.spaceFree, refused.spaceNeeded);
    EXPECT_EQ(readFile(sparse).right(1024 * 1024), markedContent("SPARSE-END", 1024 * 1024));

    EXPECT_TRUE(modShredder::ShredFile(target, 9, fileSystem, {}).fullyOverwritten());
    EXPECT_FALSE(nameExists(target));
}

constexpr auto Verified = OverwriteCheck::Outcome::Verified;
constexpr auto NotReached = OverwriteCheck::Outcome::NotReached;
constexpr auto NotCheckable = OverwriteCheck::Outcome::NotCheckable;

// Files of a tail only, of a full block and more, and of many blocks: a small file system may keep the
// first inside its own records. Each run's outcome must be the one expected, and "verified" only where
// no marker is found.
TEST_P(ShredOnDiskKinds, TheVerdictAgreesWithTheImage)
{
    const DiskCase& disk = GetParam();
    const qint64 lengths[] = {600, 40000, 1024 * 1024};
    const auto path = [this](qint64 length) { return mountPoint + QStringLiteral("/f%1.bin").arg(length); };
    const auto marker = [](qint64 length) {
        return "MARKER-" + QByteArray::number(length) + "-for-the-sweeps";
    };
    ASSERT_TRUE(shell(disk.before));
    for (qint64 length : lengths)
        writeFile(path(length), markedContent(marker(length), length));
    ASSERT_TRUE(shell(disk.after));
    ::sync();
    LinuxFileSystem fileSystem;
    std::vector<std::pair<qsizetype, OverwriteCheck::Result>> runs;
    for (qint64 length : lengths) {
        const qsizetype before = occurrencesInImage(marker(length));
        const modShredder::ShredResult result = modShredder::ShredFile(path(length), 9, fileSystem, {});
        EXPECT_TRUE(result.fullyOverwritten() && !nameExists(path(length))) << length;
        runs.emplace_back(before, result.overwrite);
    }
    unmount();
    ASSERT_FALSE(mounted);
    for (size_t i = 0; i < std::size(lengths); ++i) {
        const auto& [before, verdict] = runs[i];
        const qsizetype after = occurrencesInImage(marker(lengths[i]));
        std::printf("%s\t%lld B\tmarkers %lld -> %lld\t%s\n", disk.name, qlonglong(lengths[i]),
                    qlonglong(before), qlonglong(after),
                    qPrintable(ShredReport::overwriteText(verdict).replace("\r\n", " / ")));
        EXPECT_GT(before, 0) << lengths[i];
        EXPECT_TRUE(after == 0 || !(verdict.verified() || disk.markersGone)) << lengths[i] << ": " << after;
        EXPECT_EQ(verdict.outcome, lengths[i] > 600 ? disk.expected : disk.expectedSmall) << lengths[i];
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(FileSystems, ShredOnDiskKinds, ::testing::Values(
    DiskCase{"ext4", "mkfs.ext4 -q -F", "-o loop", 32, "", "", Verified, Verified, false},
    DiskCase{"ext4_data_journal", "mkfs.ext4 -q -F", "-o loop,data=journal", 32, "", "", NotReached, NotReached, false},
    DiskCase{"xfs", "mkfs.xfs -q -f", "-o loop", 300, "", "", Verified, Verified, false},
    DiskCase{"xfs_reflink", "mkfs.xfs -q -f", "-o loop", 300, "",
             "for f in \"$1\"/*.bin; do cp --reflink=always \"$f\" \"$f.copy\" || exit 1; done", NotReached, NotReached, false},
    DiskCase{"btrfs", "mkfs.btrfs -q -f", "-o loop", 128, "", "", NotReached, NotReached, false},
    // Files made in a no-copy-on-write folder are written in place.
    DiskCase{"btrfs_nocow", "mkfs.btrfs -q -f", "-o loop", 128, "chattr +C \"$1\"", "", Verified, Verified, false},
    DiskCase{"vfat", "mkfs.vfat", "-o loop", 32, "", "", Verified, Verified, false},
    DiskCase{"ntfs_3g", "mkfs.ntfs -q -F -f", "-t ntfs-3g -o loop", 32, "", "", NotCheckable, NotCheckable, true},
    DiskCase{"exfat_fuse", "mkfs.exfat", "-t exfat-fuse -o loop", 32, "", "", NotCheckable, NotCheckable, true}),
    [](const ::testing::TestParamInfo<DiskCase>& info) { return std::string(info.param.name); });
// clang-format on

} // namespace
