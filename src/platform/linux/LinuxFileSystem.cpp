// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/LinuxFileSystem.h"

#include "platform/FileAttributes.h"
#include "platform/FileError.h"
#include "platform/NativePath.h"
#include "platform/linux/OpenHolders.h"
#include "platform/linux/StorageProbe.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// The exact bytes of path in nativeName. False when the path holds a NUL (the system calls would stop
// there and act on a different, shorter path) or a character that stands for no byte.
bool toNative(const QString& path, QByteArray& nativeName)
{
    bool ok = false;
    nativeName = NativePath::toNative(path, &ok);
    return ok && !nativeName.contains('\0');
}

// The last component of path, ignoring trailing separators.
QString lastComponent(const QString& path)
{
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == QLatin1Char('/'))
        --end;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'), end - 1);
    return path.mid(slash + 1, end - slash - 1);
}

// The stat of path (lstat when followLink is false); its 8-bit form goes to nativeName when that is not
// null. Throws FileError naming operation when the path holds a NUL (EINVAL) or cannot be stat'ed (errno).
struct stat statOrThrow(const QString& path, bool followLink, const char* operation,
                        QByteArray* nativeName = nullptr)
{
    QByteArray name;
    if (!toNative(path, name))
        throw FileError(path, EINVAL, operation);
    struct stat info
    {
    };
    if ((followLink ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info)) != 0)
        throw FileError(path, errno, operation);
    if (nativeName)
        *nativeName = name;
    return info;
}

bool sameFile(const struct stat& info, quint64 device, quint64 inode)
{
    return quint64(info.st_dev) == device && quint64(info.st_ino) == inode;
}

// True when the folder held open (O_PATH) allows removing the name of file: write and search permission,
// and in a sticky folder (such as /tmp) ownership of the file or the folder.
bool mayRemoveName(int folder, const struct stat& file)
{
    if (::faccessat(folder, ".", W_OK | X_OK, AT_EACCESS) != 0)
        return false;
    struct stat info
    {
    };
    if (::fstat(folder, &info) != 0)
        return false;
    const uid_t self = ::geteuid();
    return !(info.st_mode & S_ISVTX) || self == 0 || self == file.st_uid || self == info.st_uid;
}

FileSystem::OpenResult openFailure(OpenStatus status, int errorNumber)
{
    FileSystem::OpenResult result;
    result.status = status;
    result.errorNumber = errorNumber;
    return result;
}

FileSystem::OpenResult openFailure(int errorNumber)
{
    return openFailure(LinuxFileSystem::statusForError(errorNumber), errorNumber);
}

// Closes a descriptor that is being given up after a failure, keeping the errno of that failure.
FileSystem::OpenResult abandon(int fd, bool leased, FileSystem::OpenResult failure)
{
    if (leased)
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
    ::close(fd);
    return failure;
}

} // namespace

LinuxFileSystem::LinuxFileSystem()
{
    // A write past the file-size limit (ulimit -f) is to fail with EFBIG and be reported as an incomplete
    // run, not to end the program between two sweeps without a word.
    ::signal(SIGXFSZ, SIG_IGN);
}

// The folder and the name of path: the folder opened (O_PATH) from its path, or taken from expected when
// that is known. 0 on success, else the errno.
int LinuxFileSystem::locate(const QString& path, Location& at, const FileIdentity& expected)
{
    QByteArray native;
    if (!toNative(path, native))
        return EINVAL;
    qsizetype end = native.size();
    while (end > 1 && native.at(end - 1) == '/')
        --end;
    const qsizetype slash = native.lastIndexOf('/', end - 1);
    at.name = native.mid(slash + 1, end - slash - 1);
    at.folderPath = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : native.left(slash);
    if (at.name.isEmpty() || native == "/")
        return ENOENT;
    at.folder.fd = expected.known && expected.folder
                       ? ::fcntl(*expected.folder, F_DUPFD_CLOEXEC, 0)
                       : ::open(at.folderPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return at.folder.fd < 0 ? errno : 0;
}

// Locates path and reads what its name holds now (without following a link) into named. With a known
// identity, the folder path must still lead to the folder it was found in and the name to the same file.
// 0 on success, ESTALE when either changed, else the errno.
int LinuxFileSystem::lookUp(const QString& path, const FileIdentity& expected, Location& at,
                            struct stat& named)
{
    if (const int error = locate(path, at, expected); error != 0)
        return error;
    struct stat folder
    {
    };
    if (expected.known && (::stat(at.folderPath.constData(), &folder) != 0 ||
                           !sameFile(folder, expected.folderDevice, expected.folderInode)))
        return ESTALE;
    if (::fstatat(at.folder.fd, at.name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (expected.known && !sameFile(named, expected.device, expected.inode))
        return ESTALE;
    return 0;
}

// Maps the errno of a failed open (or of the removal of the name) to an OpenStatus.
OpenStatus LinuxFileSystem::statusForError(int errorNumber)
{
    switch (errorNumber) {
    case ETXTBSY:
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
        return OpenStatus::InUse;
    case EACCES:
    case EPERM:
    case EROFS:
        return OpenStatus::AccessDenied;
    case ELOOP:
    case EISDIR:
    case ENXIO:
        return OpenStatus::NotRegularFile;
    case ENOENT:
    case ENOTDIR:
        return OpenStatus::NotFound;
    case ESTALE:
        return OpenStatus::Changed;
    case ENOSPC:
        return OpenStatus::NoSpace;
    default:
        return OpenStatus::Failed;
    }
}

// Length of path in bytes, following a symbolic link to the file it names.
// Throws FileError for a path that cannot be stat'ed and (EISDIR) for a directory.
qint64 LinuxFileSystem::fileLength(const QString& path)
{
    static const char* const operation = "Reading the length";
    const struct stat info = statOrThrow(path, true, operation);
    if (S_ISDIR(info.st_mode))
        throw FileError(path, EISDIR, operation);
    return info.st_size;
}

// The attribute word of the name itself (lstat). Throws FileError when it cannot be stat'ed.
int LinuxFileSystem::attributes(const QString& path)
{
    const struct stat info = statOrThrow(path, false, "Reading the attributes");

    int word = 0;
    if (!(info.st_mode & S_IWUSR))
        word |= FileAttributes::ReadOnly;
    const QString fileName = lastComponent(path);
    if (fileName.startsWith(QLatin1Char('.')) && fileName != QLatin1String(".") &&
        fileName != QLatin1String(".."))
        word |= FileAttributes::Hidden;
    if (S_ISDIR(info.st_mode))
        word |= FileAttributes::Directory;
    return word;
}

// Gives or takes the owner's write permission as the read-only bit asks; every other bit of the word and
// of the mode is left alone. Nothing is done when the permission is already as asked. A symbolic link is
// never changed through: asking to change one throws FileError (ELOOP), as does any failure.
void LinuxFileSystem::setAttributes(const QString& path, int attributeWord)
{
    static const char* const operation = "Changing the attributes";
    QByteArray name;
    const struct stat info = statOrThrow(path, false, operation, &name);

    const mode_t mode = info.st_mode & 07777;
    const mode_t wanted =
        (attributeWord & FileAttributes::ReadOnly) ? (mode & ~mode_t(S_IWUSR)) : (mode | S_IWUSR);
    if (wanted == mode)
        return;
    if (S_ISLNK(info.st_mode))
        throw FileError(path, ELOOP, operation);
    // AT_SYMLINK_NOFOLLOW also refuses a link that replaced the file since the lstat above.
    if (::fchmodat(AT_FDCWD, name.constData(), wanted, AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = errno;
        throw FileError(path, error == EOPNOTSUPP ? ELOOP : error, operation);
    }
}

// Opens path for writing, exclusively, keeping its name. Returns status Opened with the descriptor and the
// length read from it, or the reason of the failure with nothing written and the file untouched.
FileSystem::OpenResult LinuxFileSystem::openExclusive(const QString& path, const FileIdentity& expected)
{
    // Look at the kind first so that a device, FIFO or socket is never opened at all: opening some
    // devices has side effects. The fstat below settles it for whatever the open really reached.
    Location at;
    struct stat named
    {
    };
    if (const int error = lookUp(path, expected, at, named); error != 0)
        return openFailure(error);
    const auto changed = [] { return openFailure(ESTALE); };
    if (S_ISLNK(named.st_mode))
        return openFailure(OpenStatus::NotRegularFile, ELOOP);
    if (S_ISDIR(named.st_mode))
        return openFailure(OpenStatus::NotRegularFile, EISDIR);
    if (!S_ISREG(named.st_mode))
        return openFailure(OpenStatus::NotRegularFile, ENXIO);

    // O_NONBLOCK: a FIFO swapped in meanwhile must not hang us, and neither must another's lease.
    const int fd = ::openat(at.folder.fd, at.name.constData(),
                            O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return openFailure(errno);

    struct stat opened
    {
    };
    if (::fstat(fd, &opened) != 0)
        return abandon(fd, false, openFailure(errno));
    if (!S_ISREG(opened.st_mode))
        return abandon(fd, false, openFailure(OpenStatus::NotRegularFile, ENXIO));
    if (expected.known && !sameFile(opened, expected.device, expected.inode))
        return abandon(fd, false, changed());

    // A write lease is granted only while no other descriptor of the file exists anywhere.
    bool leased = false;
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0) {
        leased = true;
        // Nobody is to be signalled when someone else's open breaks the lease: the default signal,
        // SIGIO, would end this program.
        ::fcntl(fd, F_SETOWN, 0);
    } else if (errno == EAGAIN) { // NOLINT(bugprone-branch-clone): EWOULDBLOCK below has the same value
        return abandon(fd, false, openFailure(OpenStatus::InUse, EAGAIN));
    } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        // No lease to be had here (not the owner, a network file system); the advisory lock at least
        // keeps out the programs that lock too.
        return abandon(fd, false, openFailure(OpenStatus::InUse, EWOULDBLOCK));
    }
    // Without a lease a holder that does not lock is seen only in /proc (those of our own user).
    if (!leased && OpenHolders::seenElsewhere(opened.st_dev, opened.st_ino, fd))
        return abandon(fd, false, openFailure(OpenStatus::InUse, EBUSY));

    // The name must still name the file we hold, and we must be able to remove it once the sweeps are
    // done: overwriting a file whose name then stays would leave the user a husk under the old name.
    struct stat current
    {
    };
    if (::fstatat(at.folder.fd, at.name.constData(), &current, AT_SYMLINK_NOFOLLOW) != 0)
        return abandon(fd, leased, openFailure(errno));
    if (!sameFile(current, opened.st_dev, opened.st_ino))
        return abandon(fd, leased, changed());
    if (!mayRemoveName(at.folder.fd, opened))
        return abandon(fd, leased, openFailure(OpenStatus::AccessDenied, EACCES));

    // Writing into a sparse file's holes allocates blocks: a run that ran out of space half-way would fill
    // the disk for minutes and leave the rest of the file as it was.
    OpenResult result;
    struct statvfs space
    {
    };
    if (::fstatvfs(fd, &space) == 0) {
        const qint64 allocated = qint64(opened.st_blocks) * 512;
        const qint64 needed = qMax<qint64>(qint64(opened.st_size) - allocated, 0);
        // root may use the blocks the file system keeps back for it.
        const qint64 free =
            qint64(::geteuid() == 0 ? space.f_bfree : space.f_bavail) * qint64(space.f_frsize);
        if (needed > free) {
            result = openFailure(OpenStatus::NoSpace, ENOSPC);
            result.spaceNeeded = needed;
            result.spaceFree = free;
            return abandon(fd, leased, result);
        }
    }

    {
        const std::lock_guard<std::mutex> lock(m_keptNamesLock);
        KeptName& kept = m_keptNames[fd];
        kept.folder = at.folder.release();
        kept.name = at.name;
        kept.device = quint64(opened.st_dev);
        kept.inode = quint64(opened.st_ino);
        kept.leased = leased;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    result.status = OpenStatus::Opened;
    result.handle = fd;
    result.length = opened.st_size;
    if (::fstat(fd, &current) == 0)
        result.length = current.st_size;
    return result;
}

FileIdentity LinuxFileSystem::identify(const QString& path)
{
    Location at;
    struct stat file
    {
    };
    struct stat folder
    {
    };
    if (locate(path, at, FileIdentity()) != 0 || ::fstat(at.folder.fd, &folder) != 0 ||
        ::fstatat(at.folder.fd, at.name.constData(), &file, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    FileIdentity identity;
    identity.known = true;
    identity.device = quint64(file.st_dev);
    identity.inode = quint64(file.st_ino);
    identity.folderDevice = quint64(folder.st_dev);
    identity.folderInode = quint64(folder.st_ino);
    identity.folder.reset(new int(at.folder.release()), [](const int* descriptor) {
        ::close(*descriptor);
        delete descriptor;
    });
    return identity;
}

bool LinuxFileSystem::isSameFile(const QString& path, const FileIdentity& identity)
{
    if (!identity.known)
        return true;
    Location at;
    struct stat file
    {
    };
    return lookUp(path, identity, at, file) == 0;
}

QDateTime LinuxFileSystem::modifiedTime(const QString& path)
{
    QByteArray name;
    struct stat info
    {
    };
    if (!toNative(path, name) || name.isEmpty() || ::stat(name.constData(), &info) != 0)
        return {};
    return QDateTime::fromMSecsSinceEpoch(qint64(info.st_mtim.tv_sec) * 1000 +
                                          info.st_mtim.tv_nsec / 1000000);
}

QStringList LinuxFileSystem::namesIn(const QString& folder)
{
    QByteArray name;
    QStringList names;
    if (!toNative(folder, name) || name.isEmpty())
        return names;
    DIR* dir = ::opendir(name.constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray entryName(entry->d_name);
        if (entryName != "." && entryName != "..")
            names.append(NativePath::fromNative(entryName));
    }
    ::closedir(dir);
    return names;
}

// Writes size bytes at the current position, completing partial writes and retrying interrupted ones.
// A size of 0 issues no system call. False on any failure, including a write that makes no progress.
bool LinuxFileSystem::write(Handle handle, const void* data, qint64 size)
{
    if (size < 0)
        return false;
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        const size_t chunk = size_t(std::min<qint64>(size, qint64(1) << 30));
        const ssize_t written = ::write(handle, next, chunk);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0)
            return false;
        next += written;
        size -= written;
    }
    return true;
}

// Moves the position to offset 0. False on failure.
bool LinuxFileSystem::seekToStart(Handle handle)
{
    return ::lseek(handle, 0, SEEK_SET) == 0;
}

// Forces the file's data to the device: fdatasync, or fsync where fdatasync is not supported.
// False on failure.
bool LinuxFileSystem::sync(Handle handle)
{
    for (;;) {
        if (::fdatasync(handle) == 0)
            return true;
        if (errno != EINTR)
            break;
    }
    // Only a descriptor that cannot do fdatasync falls back. After a real I/O error a second sync call
    // would report success, although the data never arrived.
    if (errno == EINVAL || errno == ENOSYS)
        return ::fsync(handle) == 0;
    return false;
}

// Removes the kept name if it still names the file held, then gives up the lease: with the name gone
// nobody can open the file any more.
bool LinuxFileSystem::removeName(Handle handle)
{
    const std::lock_guard<std::mutex> lock(m_keptNamesLock);
    const auto kept = m_keptNames.find(handle);
    if (kept == m_keptNames.end())
        return false;
    const KeptName& name = kept->second;
    struct stat current
    {
    };
    const bool removed = ::fstatat(name.folder, name.name.constData(), &current, AT_SYMLINK_NOFOLLOW) == 0 &&
                         sameFile(current, name.device, name.inode) &&
                         ::unlinkat(name.folder, name.name.constData(), 0) == 0;
    forget(handle, kept);
    return removed;
}

// Closes the descriptor. False on failure; EINTR counts as closed, as Linux releases the descriptor anyway.
// A name not removed stays.
bool LinuxFileSystem::close(Handle handle)
{
    {
        const std::lock_guard<std::mutex> lock(m_keptNamesLock);
        if (const auto kept = m_keptNames.find(handle); kept != m_keptNames.end())
            forget(handle, kept);
    }
    return ::close(handle) == 0 || errno == EINTR;
}

// Releases what openExclusive kept for handle; the caller holds m_keptNamesLock.
void LinuxFileSystem::forget(Handle handle, std::map<Handle, KeptName>::iterator kept)
{
    if (kept->second.leased)
        ::fcntl(handle, F_SETLEASE, F_UNLCK);
    ::close(kept->second.folder);
    m_keptNames.erase(kept);
}

// The name still held counts as the file's own, not as a further hard link.
StorageMap LinuxFileSystem::storageMap(Handle handle)
{
    std::unique_lock<std::mutex> lock(m_keptNamesLock);
    const int ownName = m_keptNames.count(handle) ? 1 : 0;
    lock.unlock();
    return StorageProbe::probe(handle, true, ownName);
}

// Opened for reading only, and only when the name is a regular file: opening a device can have effects.
StorageMap LinuxFileSystem::storageMapOf(const QString& path)
{
    QByteArray name;
    struct stat info
    {
    };
    if (!toNative(path, name) || ::lstat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        // A file nobody may read can still lie on a medium that takes no writes.
        StorageMap unreadable;
        struct statvfs fileSystem
        {
        };
        unreadable.readOnly =
            ::statvfs(name.constData(), &fileSystem) == 0 && (fileSystem.f_flag & ST_RDONLY);
        return unreadable;
    }
    const StorageMap map = StorageProbe::probe(fd, false, 1);
    ::close(fd);
    return map;
}

// path itself when something exists under that name (a dangling link included), otherwise "".
QString LinuxFileSystem::longPathName(const QString& path)
{
    QByteArray name;
    if (!toNative(path, name) || name.isEmpty())
        return QString();
    struct stat info
    {
    };
    return ::lstat(name.constData(), &info) == 0 ? path : QString();
}

// True when openExclusive would get no lease on path, so that programs of other users cannot be checked.
bool LinuxFileSystem::openersMayBeUnseen(const QString& path)
{
    QByteArray name;
    return toNative(path, name) && OpenHolders::leaseOutOfReach(name);
}
