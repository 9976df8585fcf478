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

#include <cstdio>
#include <iterator>
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

// One file system to measure: how to make and mount it, what to do before the files are written, and
// the outcome each run on it must have.
struct DiskCase
{
    const char* name;
    QStringList mkfs;         // program and arguments; the image path is appended
    QStringList mountOptions; // for mount, before the image and the mount point
    qint64 imageMiB;
    const char* prepare;    // shell command run with the mount point as $1 before the files are written
    const char* afterWrite; // the same, after they are written
    OverwriteCheck::Outcome expected;      // for the files of a full block or more
    OverwriteCheck::Outcome expectedSmall; // for the 600-byte file
    bool markersGone = false;              // no marker may remain, although nothing can be verified
};

void PrintTo(const DiskCase& disk, std::ostream* out)
{
    *out << disk.name;
}

class ShredOnDisk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mountImage({"ext4", {"mkfs.ext4", "-q", "-F"}, {"-o", "loop"}, 32, "", "", {}, {}});
    }

    // Runs a DiskCase's shell command in the mount point.
    bool shell(const char* command)
    {
        return !*command || run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromUtf8(command),
                                                            QStringLiteral("sh"), mountPoint});
    }

    void mountImage(const DiskCase& disk)
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "mounting a file system image needs root";
        ASSERT_TRUE(work.isValid());
        image = work.filePath(QStringLiteral("disk.img"));
        mountPoint = work.filePath(QStringLiteral("mnt"));
        QDir().mkpath(mountPoint);
        QFile file(image);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(disk.imageMiB * 1024 * 1024));
        file.close();
        if (!run(disk.mkfs.first(), disk.mkfs.mid(1) << image))
            GTEST_SKIP() << disk.mkfs.first().toStdString() << " is not available";
        if (!run(QStringLiteral("mount"), QStringList(disk.mountOptions) << image << mountPoint))
            GTEST_SKIP() << "this kernel cannot mount " << disk.name << " from a loop device";
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
    void SetUp() override { mountImage(GetParam()); }
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

constexpr auto Verified = OverwriteCheck::Outcome::Verified;
constexpr auto NotReached = OverwriteCheck::Outcome::NotReached;
constexpr auto NotCheckable = OverwriteCheck::Outcome::NotCheckable;
// A copy of each file that shares its blocks.
const char* const ReflinkCopies =
    "for f in \"$1\"/f*.bin; do cp --reflink=always \"$f\" \"$f.copy\" || exit 1; done";

// Files of a tail only, of a full block and more, and of many blocks: a small file system may keep the
// first inside its own records. Each run's outcome must be the one expected, and "verified" exactly
// where no marker is found.
TEST_P(ShredOnDiskKinds, TheVerdictAgreesWithTheImage)
{
    const DiskCase& disk = GetParam();
    const qint64 lengths[] = {600, 40000, 1024 * 1024};
    ASSERT_TRUE(shell(disk.prepare));
    std::vector<QByteArray> markers;
    for (qint64 length : lengths) {
        markers.push_back("MARKER-" + QByteArray::number(length) + "-that-the-sweeps-must-reach-0123456789");
        const QString path = mountPoint + QStringLiteral("/f%1.bin").arg(length);
        // Appending keeps attributes that prepare gave an empty file.
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::Append));
        ASSERT_EQ(file.write(markedContent(markers.back(), length)), length);
        file.close();
    }
    ASSERT_TRUE(shell(disk.afterWrite));
    ::sync();
    std::vector<qsizetype> before;
    std::vector<OverwriteCheck::Result> verdicts;
    LinuxFileSystem fileSystem;
    for (size_t i = 0; i < std::size(lengths); ++i) {
        before.push_back(occurrencesInImage(markers[i]));
        const QString path = mountPoint + QStringLiteral("/f%1.bin").arg(lengths[i]);
        const modShredder::ShredResult result = modShredder::ShredFile(path, 9, fileSystem, {});
        EXPECT_TRUE(result.fullyOverwritten()) << lengths[i];
        EXPECT_FALSE(nameExists(path)) << lengths[i];
        verdicts.push_back(result.overwrite);
    }
    unmount();
    ASSERT_FALSE(mounted);
    for (size_t i = 0; i < std::size(lengths); ++i) {
        const qsizetype after = occurrencesInImage(markers[i]);
        std::printf(
            "%s\t%lld B\tmarkers %lld -> %lld\t%s\n", disk.name, qlonglong(lengths[i]), qlonglong(before[i]),
            qlonglong(after),
            qPrintable(ShredReport::overwriteText(verdicts[i]).replace(QLatin1String("\r\n"), " / ")));
        EXPECT_GT(before[i], 0) << lengths[i];
        if (verdicts[i].verified()) {
            EXPECT_EQ(after, 0) << disk.name << " " << lengths[i];
        }
        if (disk.markersGone)
            EXPECT_EQ(after, 0) << disk.name << " " << lengths[i];
        EXPECT_EQ(verdicts[i].outcome, lengths[i] > 600 ? disk.expected : disk.expectedSmall)
            << disk.name << " " << lengths[i];
    }
}

INSTANTIATE_TEST_SUITE_P(
    FileSystems, ShredOnDiskKinds,
    ::testing::Values(
        DiskCase{"ext4", {"mkfs.ext4", "-q", "-F"}, {"-o", "loop"}, 32, "", "", Verified, Verified},
        DiskCase{"ext4-data-journal",
                 {"mkfs.ext4", "-q", "-F"},
                 {"-o", "loop,data=journal"},
                 32,
                 "",
                 "",
                 NotReached,
                 NotReached},
        DiskCase{"xfs", {"mkfs.xfs", "-q", "-f"}, {"-o", "loop"}, 300, "", "", Verified, Verified},
        DiskCase{"xfs-reflink",
                 {"mkfs.xfs", "-q", "-f"},
                 {"-o", "loop"},
                 300,
                 "",
                 ReflinkCopies,
                 NotReached,
                 NotReached},
        DiskCase{"btrfs", {"mkfs.btrfs", "-q", "-f"}, {"-o", "loop"}, 128, "", "", NotReached, NotReached},
        DiskCase{"btrfs-nocow",
                 {"mkfs.btrfs", "-q", "-f"},
                 {"-o", "loop"},
                 128,
                 "for n in 600 40000 1048576; do touch \"$1/f$n.bin\"; chattr +C \"$1/f$n.bin\"; done",
                 "",
                 Verified,
                 Verified},
        DiskCase{"vfat", {"mkfs.vfat"}, {"-o", "loop"}, 32, "", "", Verified, Verified},
        DiskCase{"ntfs-3g",
                 {"mkfs.ntfs", "-q", "-F", "-f"},
                 {"-t", "ntfs-3g", "-o", "loop"},
                 32,
                 "",
                 "",
                 NotCheckable,
                 NotCheckable,
                 true},
        DiskCase{"exfat-fuse",
                 {"mkfs.exfat"},
                 {"-t", "exfat-fuse", "-o", "loop"},
                 32,
                 "",
                 "",
                 NotCheckable,
                 NotCheckable,
                 true}),
    [](const ::testing::TestParamInfo<DiskCase>& info) {
        return QString::fromLatin1(info.param.name).remove(QLatin1Char('-')).toStdString();
    });

} // namespace
