// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestFiles.h"

#include "platform/NativePath.h"

#include <QFile>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

void writeFile(const QString& path, const QByteArray& bytes, mode_t mode)
{
    const QByteArray name = NativePath::toNative(path);
    QFile file;
    ASSERT_TRUE(file.open(::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600),
                          QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
        << name.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.close();
    ASSERT_EQ(::chmod(name.constData(), mode), 0);
}

QByteArray readFile(const QString& path)
{
    QFile file;
    const int fd = ::open(NativePath::toNative(path).constData(), O_RDONLY | O_CLOEXEC);
    return file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) ? file.readAll()
                                                                            : QByteArray("<unreadable>");
}

mode_t modeOf(const QString& path)
{
    struct stat info
    {
    };
    if (::lstat(NativePath::toNative(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

bool nameExists(const QString& path)
{
    struct stat info
    {
    };
    return ::lstat(NativePath::toNative(path).constData(), &info) == 0;
}

bool markFile(const QString& path, int flag, bool on)
{
    const int fd = ::open(NativePath::toNative(path).constData(), O_RDONLY | O_CLOEXEC);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | flag : flags & ~flag;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0)
        ::close(fd);
    return done;
}
