// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/OpenHolders.h"

#include <QFile>

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <initializer_list>
#include <linux/magic.h>
#include <memory>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// Closes a directory stream at the end of a scope.
struct DirectoryCloser
{
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using Directory = std::unique_ptr<DIR, DirectoryCloser>;

// True for a name made of digits only: the folder of a process in /proc.
bool isNumber(const char* name)
{
    if (*name == '\0')
        return false;
    for (; *name; ++name)
        if (*name < '0' || *name > '9')
            return false;
    return true;
}

// True when the effective capabilities of this process include CAP_LEASE (bit 28), which allows a lease
// on a file of another owner.
bool mayLeaseAnyFile()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return ::geteuid() == 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("CapEff:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> 28) & 1;
    }
    return ::geteuid() == 0;
}

// File systems whose files other machines may hold open, out of sight of any lease or /proc here.
bool isNetworkFileSystem(long type)
{
    // FUSE for sshfs and the like.
    for (const long network :
         std::initializer_list<long>{NFS_SUPER_MAGIC, SMB_SUPER_MAGIC, CIFS_SUPER_MAGIC, SMB2_SUPER_MAGIC,
                                     CEPH_SUPER_MAGIC, AFS_SUPER_MAGIC, FUSE_SUPER_MAGIC, V9FS_MAGIC})
        if (type == network)
            return true;
    return false;
}

// The name a system monitor shows for process pid: its comm, else the file name of its executable; ""
// where neither can be read.
QString programName(const char* pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(QLatin1String(pid)));
    if (comm.open(QIODevice::ReadOnly)) {
        const QByteArray name = comm.readAll().trimmed();
        if (!name.isEmpty())
            return QString::fromLocal8Bit(name);
    }
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(QLatin1String(pid)));
    return exe.mid(exe.lastIndexOf(QLatin1Char('/')) + 1);
}

// True when process pid runs the executable file this process runs: another window of this program.
bool runsThisProgram(const char* pid)
{
    struct stat own
    {
    };
    struct stat other
    {
    };
    const QByteArray exe = QByteArray("/proc/") + pid + "/exe";
    return ::stat("/proc/self/exe", &own) == 0 && ::stat(exe.constData(), &other) == 0 &&
           own.st_dev == other.st_dev && own.st_ino == other.st_ino;
}

} // namespace

namespace OpenHolders {

std::optional<Holder> seenElsewhere(dev_t device, ino_t inode, int ownDescriptor)
{
    const Directory processes(::opendir("/proc"));
    if (!processes)
        return std::nullopt;
    const QByteArray self = QByteArray::number(qint64(::getpid()));
    while (const dirent* process = ::readdir(processes.get())) {
        if (!isNumber(process->d_name))
            continue;
        const QByteArray folder = QByteArray("/proc/") + process->d_name + "/fd";
        // Processes of other users refuse this (EACCES) and stay unseen.
        const Directory descriptors(::opendir(folder.constData()));
        if (!descriptors)
            continue;
        const bool ours = self == process->d_name;
        while (const dirent* descriptor = ::readdir(descriptors.get())) {
            if (!isNumber(descriptor->d_name))
                continue;
            // Our own O_PATH descriptors (the loaded file's identity) neither read nor write; one closed
            // since the listing (fcntl fails) holds nothing either.
            const int number = std::atoi(descriptor->d_name);
            if (ours && (number == ownDescriptor || (::fcntl(number, F_GETFL) & O_PATH) != 0))
                continue;
            // stat follows the link to the open file itself, whatever its name is now.
            struct stat info
            {
            };
            const QByteArray link = folder + '/' + descriptor->d_name;
            if (::stat(link.constData(), &info) == 0 && info.st_dev == device && info.st_ino == inode)
                return Holder{programName(process->d_name).toStdString(),
                              !ours && runsThisProgram(process->d_name)};
        }
    }
    return std::nullopt;
}

bool leaseOutOfReach(const QByteArray& nativePath)
{
    struct stat info
    {
    };
    if (nativePath.isEmpty() || ::lstat(nativePath.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    struct statfs fileSystem
    {
    };
    if (::statfs(nativePath.constData(), &fileSystem) == 0 && isNetworkFileSystem(long(fileSystem.f_type)))
        return true;
    return info.st_uid != ::geteuid() && !mayLeaseAnyFile();
}

} // namespace OpenHolders
