// What reaches the storage device: a small ext4 file system in an image file, mounted through a loop
// device, is searched byte by byte after a run. This needs root and loop devices; elsewhere it skips.

#include "engine/Shredder.h"
#include "platform/linux/LinuxFileSystem.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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

class ShredOnDisk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "mounting a file system image needs root";
        ASSERT_TRUE(work.isValid());
        image = work.filePath(QStringLiteral("disk.img"));
        mountPoint = work.filePath(QStringLiteral("mnt"));
        QDir().mkpath(mountPoint);
        QFile file(image);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(32 * 1024 * 1024));
        file.close();
        if (!run(QStringLiteral("mkfs.ext4"), {QStringLiteral("-q"), QStringLiteral("-F"), image}))
            GTEST_SKIP() << "mkfs.ext4 is not available";
        if (!run(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("loop"), image, mountPoint}))
            GTEST_SKIP() << "no loop device can be mounted here";
        mounted = true;
    }

    void TearDown() override { unmount(); }

    // Unmounts, so that every byte the kernel still held has gone to the image.
    void unmount()
    {
        if (mounted)
            mounted = !run(QStringLiteral("umount"), {mountPoint});
    }

    // How often marker stands in the image.
    qsizetype occurrencesInImage(const QByteArray& marker)
    {
        QFile file(image);
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        return file.readAll().count(marker);
    }

    QTemporaryDir work;
    QString image;
    QString mountPoint;
    bool mounted = false;
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

} // namespace
