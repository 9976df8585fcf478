#include "platform/linux/LinuxFileSystem.h"

#include "platform/FileAttributes.h"
#include "platform/FileError.h"
#include "platform/NativePath.h"
#include "platform/linux/OpenHolders.h"
#include "platform/linux/StorageProbe.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

// Opens path for writing, exclusively, and removes its name. Returns status Opened with the descriptor
// and the length read from it, or the reason of the failure with nothing written and the file untouched.
FileSystem::OpenResult LinuxFileSystem::openExclusive(const QString& path)
{
    QByteArray name;
    if (!toNative(path, name))
        return openFailure(EINVAL);
    if (name.isEmpty())
        return openFailure(ENOENT);

    // Look at the kind first so that a device, FIFO or socket is never opened at all: opening some
    // devices has side effects. The fstat below settles it for whatever the open really reached.
    struct stat named
    {
    };
    if (::lstat(name.constData(), &named) != 0)
        return openFailure(errno);
    if (S_ISLNK(named.st_mode))
        return openFailure(OpenStatus::NotRegularFile, ELOOP);
    if (S_ISDIR(named.st_mode))
        return openFailure(OpenStatus::NotRegularFile, EISDIR);
    if (!S_ISREG(named.st_mode))
        return openFailure(OpenStatus::NotRegularFile, ENXIO);

    // O_NONBLOCK: a FIFO swapped in meanwhile must not hang us, and neither must another's lease.
    const int fd = ::open(name.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return openFailure(errno);

    struct stat opened
    {
    };
    if (::fstat(fd, &opened) != 0)
        return abandon(fd, false, openFailure(errno));
    if (!S_ISREG(opened.st_mode))
        return abandon(fd, false, openFailure(OpenStatus::NotRegularFile, ENXIO));

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

    // Remove the name only if it still names the file we hold.
    struct stat current
    {
    };
    if (::lstat(name.constData(), &current) != 0)
        return abandon(fd, leased, openFailure(errno));
    if (current.st_dev != opened.st_dev || current.st_ino != opened.st_ino)
        return abandon(fd, leased, openFailure(OpenStatus::Failed, ESTALE));
    OpenResult result;
    if (StorageProbe::isFuse(fd)) {
        // Removing the name of an open file makes FUSE move it to a hidden name, and ntfs-3g then leaves
        // a copy of a small file's data where no sweep reaches it. The lease (or lock) keeps others out
        // until the close removes the name.
        const std::lock_guard<std::mutex> lock(m_keptNamesLock);
        m_keptNames[fd] = {name, quint64(opened.st_dev), quint64(opened.st_ino)};
        result.nameKept = true;
    } else {
        if (::unlink(name.constData()) != 0)
            return abandon(fd, leased, openFailure(errno));
        // The name is gone, so nobody can open the file any more: the lease has done its work.
        if (leased)
            ::fcntl(fd, F_SETLEASE, F_UNLCK);
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    result.status = OpenStatus::Opened;
    result.handle = fd;
    result.length = opened.st_size;
    if (::fstat(fd, &current) == 0)
        result.length = current.st_size;
    return result;
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

// Closes the descriptor. False on failure; EINTR counts as closed, as Linux releases the descriptor anyway.
// A kept name is removed first, unless it has come to name another file meanwhile.
bool LinuxFileSystem::close(Handle handle)
{
    bool nameRemoved = true;
    std::unique_lock<std::mutex> lock(m_keptNamesLock);
    if (const auto kept = m_keptNames.find(handle); kept != m_keptNames.end()) {
        struct stat current
        {
        };
        nameRemoved = ::lstat(kept->second.name.constData(), &current) == 0 &&
                      quint64(current.st_dev) == kept->second.device &&
                      quint64(current.st_ino) == kept->second.inode &&
                      ::unlink(kept->second.name.constData()) == 0;
        m_keptNames.erase(kept);
    }
    lock.unlock();
    return (::close(handle) == 0 || errno == EINTR) && nameRemoved;
}

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
    if (fd < 0)
        return {};
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
