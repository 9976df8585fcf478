// SPDX-License-Identifier: GPL-3.0-or-later
// What reaches the storage device: small file systems in image files, mounted through a loop device,
// are searched byte by byte after a run, and the run's verdict must agree with what is found. This needs
// root and loop devices; elsewhere, or where the kernel or the tools lack a file system, it skips.

#include "engine/ShredReport.h"
#include "engine/Shredder.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/StorageProbe.h"
#include "support/CoreText.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <iterator>
#include <sys/statvfs.h>
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

// One file system to measure: how to make and mount it, shell commands run in its mount point ($1, with
// the outer file system's in $2 and the image in $3) before and after the files are written, and the outcome
// each run on it must have. With outer, the image lies in a file system of its own, itself in an image.
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
    // Markers left exactly where the verdict is not "verified"; none, unverified; or, where later writes
    // may reuse the places of copies, any number unless "verified".
    enum Left { AsVerdict, None, Maybe } left;
    const char* outer = nullptr; // mkfs of the file system that holds the image
    qint64 outerMiB = 0;
    const char* outerBefore = ""; // run in the outer mount point ($2) before the image is made
    const char* writeIn = "";     // the folder of the mount point the files are written in
    const char* shredIn = "";     // and the one they are destroyed through
    bool readOnly = false;        // the run must be refused
    const char* during = ""; // run in the mount point ($1) in the background while the files are destroyed
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
        return run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromUtf8(command),
                                               QStringLiteral("sh"), mountPoint, outerPoint, image});
    }

    // Makes a file system of imageMiB in file and mounts it at point; skips where that cannot be done.
    void makeAndMount(const char* mkfs, const char* mountOptions, qint64 imageMiB, const QString& file,
                      const QString& point)
    {
        QDir().mkpath(point);
        QFile made(file);
        ASSERT_TRUE(made.open(QIODevice::WriteOnly));
        ASSERT_TRUE(made.resize(imageMiB * 1024 * 1024));
        const QStringList make = QString::fromLatin1(mkfs).split(QLatin1Char(' '));
        if (!run(make.first(), make.mid(1) << file))
            GTEST_SKIP() << mkfs << " is not available";
        if (!run(QStringLiteral("mount"), QString::fromLatin1(mountOptions).split(QLatin1Char(' '))
                                              << file << point))
            GTEST_SKIP() << "this kernel cannot mount " << mkfs << " from a loop device";
    }

    void mountImage(const char* mkfs, const char* mountOptions, qint64 imageMiB,
                    const DiskCase* outer = nullptr)
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "mounting a file system image needs root";
        ASSERT_TRUE(work.isValid());
        mountPoint = work.filePath(QStringLiteral("mnt"));
        image = work.filePath(QStringLiteral("disk.img"));
        if (outer && outer->outer) {
            outerImage = work.filePath(QStringLiteral("outer.img"));
            outerPoint = work.filePath(QStringLiteral("outer"));
            makeAndMount(outer->outer, "-o loop", outer->outerMiB, outerImage, outerPoint);
            if (IsSkipped() || HasFatalFailure())
                return;
            outerMounted = true;
            ASSERT_TRUE(shell(outer->outerBefore));
            image = outerPoint + QStringLiteral("/disk.img");
        }
        makeAndMount(mkfs, mountOptions, imageMiB, image, mountPoint);
        mounted = !IsSkipped() && !HasFatalFailure();
    }

    void TearDown() override
    {
        unmount();
        unmountOuter();
    }

    // Unmounts (with any overlay inside), so that every byte the kernel still held has gone to the image.
    void unmount()
    {
        if (mounted)
            mounted = !run(QStringLiteral("umount"), {QStringLiteral("-R"), mountPoint});
    }
    void unmountOuter()
    {
        if (outerMounted && !mounted)
            outerMounted = !run(QStringLiteral("umount"), {outerPoint});
    }

    // How often marker stands in the image, read in pieces that overlap by the marker's length.
    qsizetype occurrencesInImage(const QByteArray& marker) { return occurrences(image, marker); }

    static qsizetype occurrences(const QString& image, const QByteArray& marker)
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
    QString outerImage; // the image that holds image, if any
    QString outerPoint;
    bool mounted = false;
    bool outerMounted = false;
};

class ShredOnDiskKinds : public ShredOnDisk, public ::testing::WithParamInterface<DiskCase>
{
protected:
    void SetUp() override { mountImage(GetParam().mkfs, GetParam().mount, GetParam().imageMiB, &GetParam()); }
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
    const modShredder::ShredResult result = modShredder::ShredFile(p(secretFile), 9, fileSystem, {});
    EXPECT_TRUE(result.fullyOverwritten());
    EXPECT_FALSE(nameExists(secretFile));

    // The disk at the bottom is found through the loop device; flash memory by its rotational flag.
    const StorageMap map = fileSystem.storageMapOf(p(deletedFile));
    ASSERT_FALSE(map.disks.empty());
    EXPECT_EQ(map.flash, StorageProbe::onFlash(map.disks));
    QTemporaryDir sys;
    for (const char* rotational : {"0", "1"}) {
        ASSERT_TRUE(QDir().mkpath(sys.filePath(q(map.disks.front()) + QStringLiteral("/queue"))));
        writeFile(sys.filePath(q(map.disks.front()) + QStringLiteral("/queue/rotational")), rotational);
        EXPECT_EQ(StorageProbe::onFlash(map.disks, sys.path()), *rotational == '0') << rotational;
    }
    ASSERT_TRUE(QDir().mkpath(sys.filePath(QStringLiteral("zram0/queue"))));
    writeFile(sys.filePath(QStringLiteral("zram0/queue/rotational")), "0");
    EXPECT_FALSE(StorageProbe::onFlash({"zram0"}, sys.path())) << "zram is memory";
    ASSERT_TRUE(QFile::remove(deletedFile));

    unmount();
    ASSERT_FALSE(mounted);
    EXPECT_EQ(occurrencesInImage(secret), 0);
    // The comparison shows the search would find what an ordinary removal leaves behind.
    EXPECT_GT(occurrencesInImage(deleted), 1000);
}

// ext4 on a loop device over zram: judged by zram, memory and no flash, on which nothing of the file is left.
TEST_F(ShredOnDisk, ALoopDeviceOverZramIsJudgedByZram)
{
    QFile add(QStringLiteral("/sys/class/zram-control/hot_add"));
    if (!add.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "no zram here";
    const QByteArray zram = "zram" + add.readAll().trimmed();
    const auto removed = qScopeGuard([&] {
        unmount();
        shell(("echo " + zram.mid(4) + " >/sys/class/zram-control/hot_remove").constData());
    });
    ASSERT_TRUE(
        shell(("echo 64M >/sys/block/" + zram + "/disksize && umount \"$1\" && mkfs.ext4 -q -F /dev/" + zram +
               " && mount -o loop /dev/" + zram + " \"$1\"")
                  .constData()));
    const QByteArray secret("ZRAM-MARKER-that-must-vanish");
    const QString file = mountPoint + QStringLiteral("/secret.bin");
    writeFile(file, markedContent(secret, 1024 * 1024));
    LinuxFileSystem fileSystem;
    const StorageMap map = fileSystem.storageMapOf(p(file));
    EXPECT_EQ(map.disks, std::vector<std::string>{zram.toStdString()});
    EXPECT_FALSE(map.flash);
    const modShredder::ShredResult result = modShredder::ShredFile(p(file), 9, fileSystem, {});
    EXPECT_TRUE(result.destroyed()) << q(ShredReport::overwriteText(result.overwrite)).toStdString();
    unmount();
    EXPECT_EQ(occurrences(QStringLiteral("/dev/") + QString::fromLatin1(zram), secret), 0);
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
        modShredder::ShredFile(p(target), 9, killed, {});
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
    const modShredder::ShredResult refused = modShredder::ShredFile(p(sparse), 9, fileSystem, {});
    EXPECT_EQ(refused.open, OpenStatus::NoSpace);
    EXPECT_GE(refused.spaceNeeded, 63 * 1024 * 1024);
    EXPECT_LT(refused.spaceFree, refused.spaceNeeded);
    EXPECT_EQ(readFile(sparse).right(1024 * 1024), markedContent("SPARSE-END", 1024 * 1024));

    EXPECT_TRUE(modShredder::ShredFile(p(target), 9, fileSystem, {}).fullyOverwritten());
    EXPECT_FALSE(nameExists(target));
}

// No blocks kept back for root (-m 0): the free space the file layer sees is all that a run of root's fills.
class ShredOnFullDisk : public ShredOnDisk
{
protected:
    void SetUp() override { mountImage("mkfs.ext4 -q -F -m 0", "-o loop", 16); }
};

// A hole exactly as large as the free space cannot be filled, as the file system needs blocks of its own to
// record where the new ones lie: it is refused at load and at the run, untouched. The largest hole the file
// layer accepts is filled to the end.
TEST_F(ShredOnFullDisk, TheSpaceCheckLeavesRoomForTheFileSystemsOwnBlocks)
{
    const QString sparse = mountPoint + QStringLiteral("/sparse.bin");
    LinuxFileSystem fileSystem;
    struct statvfs space = {};
    ASSERT_EQ(::statvfs(QFile::encodeName(mountPoint).constData(), &space), 0);
    // A file of 4 KiB marked and a hole of blocks blocks (1 KiB each here); what the layer foresees for it.
    const auto withHole = [&](qint64 blocks) {
        writeFile(sparse, markedContent("EDGE", 4096));
        EXPECT_TRUE(QFile::resize(sparse, 4096 + qint64(space.f_frsize) * blocks));
        return fileSystem.outlook(fileSystem.identify(p(sparse))).status;
    };
    EXPECT_EQ(withHole(qint64(space.f_bavail)), OpenStatus::NoSpace);
    EXPECT_EQ(modShredder::ShredFile(p(sparse), 9, fileSystem, {}).open, OpenStatus::NoSpace);
    EXPECT_EQ(readFile(sparse).left(4096), markedContent("EDGE", 4096));

    qint64 accepted = 0;
    for (auto refusedAt = qint64(space.f_bavail); refusedAt - accepted > 1;) {
        const qint64 middle = (accepted + refusedAt) / 2;
        (withHole(middle) == OpenStatus::Opened ? accepted : refusedAt) = middle;
    }
    EXPECT_GT(accepted, qint64(space.f_bavail) * 9 / 10) << "the room kept is a small share";
    withHole(accepted);
    EXPECT_TRUE(modShredder::ShredFile(p(sparse), 9, fileSystem, {}).fullyOverwritten()) << accepted;
    EXPECT_FALSE(nameExists(sparse));
}

constexpr auto Verified = OverwriteCheck::Outcome::Verified;
constexpr auto NotReached = OverwriteCheck::Outcome::NotReached;
constexpr auto NotCheckable = OverwriteCheck::Outcome::NotCheckable;
constexpr auto AsVerdict = DiskCase::AsVerdict, NoneLeft = DiskCase::None, MaybeLeft = DiskCase::Maybe;

// Files of a tail only, of a full block and more, and of many blocks: a small file system may keep the
// first inside its own records. Each run's outcome must be the one expected, and "verified" exactly where
// no image of the stack keeps a marker. On a read-only medium every run must be refused.
TEST_P(ShredOnDiskKinds, TheVerdictAgreesWithTheImage)
{
    const DiskCase& disk = GetParam();
    const qint64 lengths[] = {600, 40000, 1024 * 1024};
    const auto path = [this](const char* folder, qint64 length) {
        return mountPoint + u'/' + QLatin1String(folder) + QStringLiteral("/f%1.bin").arg(length);
    };
    const auto marker = [](qint64 length) {
        return "MARKER-" + QByteArray::number(length) + "-for-the-sweeps";
    };
    // Markers in the image and in the one that holds it.
    const auto count = [&](qint64 length) {
        return occurrencesInImage(marker(length)) +
               (outerImage.isEmpty() ? 0 : occurrences(outerImage, marker(length)));
    };
    ASSERT_TRUE(shell(disk.before));
    for (qint64 length : lengths)
        writeFile(path(disk.writeIn, length), markedContent(marker(length), length));
    ::sync();
    ASSERT_TRUE(shell(disk.after));
    ::sync();
    LinuxFileSystem fileSystem;
    QProcess background;
    if (*disk.during)
        background.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromUtf8(disk.during),
                                                     QStringLiteral("sh"), mountPoint});
    std::vector<std::pair<qsizetype, OverwriteCheck::Result>> runs;
    for (qint64 length : lengths) {
        const qsizetype before = count(length);
        const QString target = path(disk.shredIn, length);
        EXPECT_EQ(fileSystem.storageMapOf(p(target)).readOnly, disk.readOnly) << length;
        const OverwriteCheck::Result expected = OverwriteCheck::expect(fileSystem.storageMapOf(p(target)));
        const modShredder::ShredResult result = modShredder::ShredFile(p(target), 9, fileSystem, {});
        EXPECT_EQ(result.fullyOverwritten() && !nameExists(target), !disk.readOnly) << length;
        if (!disk.readOnly) {
            EXPECT_EQ(expected.outcome, result.overwrite.outcome) << length;
        }
        runs.emplace_back(before, result.overwrite);
    }
    // Stopped between two commands, so that nothing of it holds the mount any more.
    writeFile(work.filePath(QStringLiteral("stop")), "");
    background.waitForFinished();
    unmount();
    ASSERT_FALSE(mounted);
    // The markers of the image are counted through the outer file system, those of the outer image below it.
    std::vector<qsizetype> inImage;
    for (qint64 length : lengths)
        inImage.push_back(occurrencesInImage(marker(length)));
    unmountOuter();
    ASSERT_FALSE(outerMounted);
    for (size_t i = 0; i < std::size(lengths); ++i) {
        const auto& [before, verdict] = runs[i];
        const qsizetype outer = outerImage.isEmpty() ? 0 : occurrences(outerImage, marker(lengths[i]));
        const qsizetype after = inImage[i] + outer;
        const QString text =
            q(disk.readOnly ? ShredReport::readOnlyRefusalText() : ShredReport::overwriteText(verdict));
        std::printf("%s\t%lld B\tmarkers %lld -> %lld (image %lld, outer image %lld)\t%s\n", disk.name,
                    qlonglong(lengths[i]), qlonglong(before), qlonglong(after), qlonglong(inImage[i]),
                    qlonglong(outer), qPrintable(QString(text).replace("\r\n", " / ")));
        EXPECT_GT(before, 0) << lengths[i];
        if (disk.readOnly) {
            EXPECT_EQ(after, before) << lengths[i];
            continue;
        }
        if (disk.left == DiskCase::Maybe)
            EXPECT_TRUE(after == 0 || !verdict.verified()) << lengths[i] << ": " << after;
        else
            EXPECT_EQ(after == 0, verdict.verified() || disk.left == DiskCase::None)
                << lengths[i] << ": " << after;
        EXPECT_EQ(verdict.outcome, lengths[i] > 600 ? disk.expected : disk.expectedSmall) << lengths[i];
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(FileSystems, ShredOnDiskKinds, ::testing::Values(
    DiskCase{"ext4", "mkfs.ext4 -q -F", "-o loop", 32, "", "", Verified, Verified, AsVerdict},
    // A journal large enough for every sweep, so that it still holds the file's first copies.
    DiskCase{"ext4_data_journal", "mkfs.ext4 -q -F -J size=64", "-o loop,data=journal", 256, "", "", NotReached, NotReached, AsVerdict},
    // The data journal as the file system's own default, which the mount table does not show.
    DiskCase{"ext4_default_data_journal", "mkfs.ext4 -q -F -J size=64", "-o loop", 256,
             "umount \"$1\" && tune2fs -o journal_data \"$3\" >/dev/null && mount -o loop \"$3\" \"$1\"", "", NotReached, NotReached, AsVerdict},
    // Remounted through a loop device over the image's own loop device, which goes with the mount.
    DiskCase{"ext4_loop_over_loop", "mkfs.ext4 -q -F", "-o loop", 32,
             "umount \"$1\" && l=$(losetup -f --show \"$3\") && mount -o loop \"$l\" \"$1\" && losetup -d \"$l\"", "", Verified, Verified, AsVerdict},
    DiskCase{"xfs", "mkfs.xfs -q -f", "-o loop", 300, "", "", Verified, Verified, AsVerdict},
    DiskCase{"xfs_reflink", "mkfs.xfs -q -f", "-o loop", 300, "",
             "for f in \"$1\"/*.bin; do cp --reflink=always \"$f\" \"$f.copy\" || exit 1; done", NotReached, NotReached, AsVerdict},
    // Btrfs may reuse the places of the old copies for later sweeps.
    DiskCase{"btrfs", "mkfs.btrfs -q -f", "-o loop", 128, "", "", NotReached, NotReached, MaybeLeft},
    // Files made in a no-copy-on-write folder are written in place.
    DiskCase{"btrfs_nocow", "mkfs.btrfs -q -f", "-o loop", 128, "chattr +C \"$1\"", "", Verified, Verified, AsVerdict},
    DiskCase{"vfat", "mkfs.vfat", "-o loop", 32, "", "", Verified, Verified, AsVerdict},
    DiskCase{"ntfs_3g", "mkfs.ntfs -q -F -f", "-t ntfs-3g -o loop", 32, "", "", NotCheckable, NotCheckable, NoneLeft},
    DiskCase{"exfat_fuse", "mkfs.exfat", "-t exfat-fuse -o loop", 32, "", "", NotCheckable, NotCheckable, NoneLeft},
    // An ext4 image inside another file system: only where that one writes the image in place.
    DiskCase{"ext4_on_btrfs", "mkfs.ext4 -q -F", "-o loop", 32, "", "", NotReached, NotReached, MaybeLeft, "mkfs.btrfs -q -f", 128},
    DiskCase{"ext4_on_btrfs_nocow", "mkfs.ext4 -q -F", "-o loop", 32, "", "", Verified, Verified, AsVerdict, "mkfs.btrfs -q -f", 128, "chattr +C \"$2\""},
    // Btrfs on several devices names none of them in its device number; its image is found all the same.
    DiskCase{"btrfs_nocow_on_btrfs", "mkfs.btrfs -q -f", "-o loop", 128, "chattr +C \"$1\"", "", NotReached, NotReached, MaybeLeft,
             "mkfs.btrfs -q -f", 256},
    DiskCase{"ext4_on_xfs_reflinked", "mkfs.ext4 -q -F", "-o loop", 32, "", "cp --reflink=always \"$2/disk.img\" \"$2/copy.img\"", NotReached, NotReached, AsVerdict, "mkfs.xfs -q -f", 300},
    // An overlay on ext4: a file of the lower layer stays there; one made above is the upper layer's.
    DiskCase{"overlay_lower", "mkfs.ext4 -q -F", "-o loop", 32, "mkdir \"$1/lower\" \"$1/upper\" \"$1/work\" \"$1/ovl\"",
             "mount -t overlay overlay -o \"lowerdir=$1/lower,upperdir=$1/upper,workdir=$1/work\" \"$1/ovl\"",
             NotReached, NotReached, AsVerdict, nullptr, 0, "", "lower", "ovl"},
    DiskCase{"overlay_upper", "mkfs.ext4 -q -F", "-o loop", 32, "mkdir \"$1/lower\" \"$1/upper\" \"$1/work\" \"$1/ovl\" && "
             "mount -t overlay overlay -o \"lowerdir=$1/lower,upperdir=$1/upper,workdir=$1/work\" \"$1/ovl\"", "",
             Verified, Verified, AsVerdict, nullptr, 0, "", "ovl", "ovl"},
    // The same with the upper layer on another file system, the outer one: the overlay hands out that
    // file system's device numbers (or one of its own) for files, so it is found by the path.
    DiskCase{"overlay_two_fs_lower", "mkfs.ext4 -q -F", "-o loop", 32, "mkdir \"$1/lower\" \"$1/ovl\"",
             "mount -t overlay overlay -o \"lowerdir=$1/lower,upperdir=$2/upper,workdir=$2/work\" \"$1/ovl\"",
             NotReached, NotReached, AsVerdict, "mkfs.ext4 -q -F", 64, "mkdir \"$2/upper\" \"$2/work\"", "lower", "ovl"},
    DiskCase{"overlay_two_fs_upper", "mkfs.ext4 -q -F", "-o loop", 32, "mkdir \"$1/lower\" \"$1/ovl\" && "
             "mount -t overlay overlay -o \"lowerdir=$1/lower,upperdir=$2/upper,workdir=$2/work\" \"$1/ovl\"", "",
             Verified, Verified, AsVerdict, "mkfs.ext4 -q -F", 64, "mkdir \"$2/upper\" \"$2/work\"", "ovl", "ovl"},
    // Btrfs passes its discards to the loop device, which punches holes into the image: dropped, not moved.
    // Another program's commits during the runs free (and so discard) the file system's old records.
    DiskCase{"btrfs_nocow_discard", "mkfs.btrfs -q -f", "-o loop,discard=sync", 128, "chattr +C \"$1\"", "", Verified, Verified, AsVerdict,
             nullptr, 0, "", "", "", false, "while [ ! -e \"$1/../stop\" ]; do touch \"$1/busy\"; btrfs filesystem sync \"$1\"; done"},
    // Read-only: a remounted ext4, a read-only bind mount of a writable one and squashfs.
    DiskCase{"ext4_ro", "mkfs.ext4 -q -F", "-o loop", 32, "", "mount -o remount,ro \"$1\"", Verified, Verified, AsVerdict, nullptr, 0, "", "", "", true},
    DiskCase{"ext4_ro_bind", "mkfs.ext4 -q -F", "-o loop", 32, "mkdir \"$1/ro\"",
             "mount --bind \"$1\" \"$1/ro\" && mount -o remount,bind,ro \"$1/ro\"", Verified, Verified, AsVerdict, nullptr, 0, "", "", "ro", true},
    DiskCase{"squashfs", "mkfs.ext4 -q -F", "-o loop", 32, "mkdir \"$1/sq\"",
             "mksquashfs \"$1\" \"$3.sqfs\" -e sq lost+found -noappend -quiet >/dev/null && mount -t squashfs -o loop \"$3.sqfs\" \"$1/sq\"",
             Verified, Verified, AsVerdict, nullptr, 0, "", "", "sq", true}),
    [](const ::testing::TestParamInfo<DiskCase>& info) { return std::string(info.param.name); });
// clang-format on

} // namespace
