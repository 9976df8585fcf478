#include "support/TestFiles.h"

#include "platform/NativePath.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

// Paths go to the system calls with their exact bytes, so names that are no UTF-8 work too.

void writeFile(const QString& path, const QByteArray& bytes, mode_t mode)
{
    const QByteArray name = NativePath::toNative(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0) << name.toStdString();
    const ssize_t written = ::write(fd, bytes.constData(), size_t(bytes.size()));
    ::close(fd);
    ASSERT_EQ(written, bytes.size());
    ASSERT_EQ(::chmod(name.constData(), mode), 0);
}

QByteArray readFile(const QString& path)
{
    const int fd = ::open(NativePath::toNative(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QByteArray("<unreadable>");
    QByteArray content;
    char buffer[65536];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        content.append(buffer, got);
    ::close(fd);
    return content;
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
