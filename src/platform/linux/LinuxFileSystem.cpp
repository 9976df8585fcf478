// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/LinuxFileSystem.h"

#include "platform/FileAttributes.h"
#include "platform/FileError.h"
#include "platform/linux/OpenHolders.h"
#include "platform/linux/StorageProbe.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <initializer_list>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// The exact bytes of path in nativeName. False when the path holds a NUL (the system calls would stop
// there and act on a different, shorter path).
bool toNative(const FileSystem::Path& path, QByteArray& nativeName)
{
    nativeName = QByteArray::fromStdString(path.native());
    return !nativeName.contains('\0');
}

// The last component of path, ignoring trailing separators.
QByteArray lastComponent(const FileSystem::Path& path)
{
    const QByteArray bytes = QByteArray::fromStdString(path.native());
    qsizetype end = bytes.size();
    while (end > 1 && bytes.at(end - 1) == '/')
        --end;
    const qsizetype slash = bytes.lastIndexOf('/', end - 1);
    return bytes.mid(slash + 1, end - slash - 1);
}

// The descriptor a handle holds: on Linux every handle is one.
int descriptor(NativeHandle handle)
{
    return static_cast<int>(handle);
}

// The error code of an errno value.
std::error_code systemError(int errorNumber)
{
    return {errorNumber, std::system_category()};
}

FileError fileError(const FileSystem::Path& path, int errorNumber, const char* operation)
{
    return FileError(path, systemError(errorNumber), operation);
}

// The stat of path (lstat when followLink is false); its 8-bit form goes to nativeName when that is not
// null. Throws FileError naming operation when the path holds a NUL (EINVAL) or cannot be stat'ed (errno).
struct stat statOrThrow(const FileSystem::Path& path, bool followLink, const char* operation,
                        QByteArray* nativeName = nullptr)
{
    QByteArray name;
    if (!toNative(path, name))
        throw fileError(path, EINVAL, operation);
    struct stat info
    {
    };
    if ((followLink ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info)) != 0)
        throw fileError(path, errno, operation);
    if (nativeName)
        *nativeName = name;
    return info;
}

bool sameFile(const struct stat& info, quint64 device, quint64 inode)
{
    return quint64(info.st_dev) == device && quint64(info.st_ino) == inode;
}

bool sameFile(const struct stat& info, const struct stat& other)
{
    return sameFile(other, quint64(info.st_dev), quint64(info.st_ino));
}

// The attribute word of path, whose file's status is info.
int attributeWord(const FileSystem::Path& path, const struct stat& info)
{
    int word = 0;
    if (!(info.st_mode & S_IWUSR))
        word |= FileAttributes::ReadOnly;
    const QByteArray fileName = lastComponent(path);
    if (fileName.startsWith('.') && fileName != "." && fileName != "..")
        word |= FileAttributes::Hidden;
    if (S_ISDIR(info.st_mode))
        word |= FileAttributes::Directory;
    return word;
}

// The mode that gives or takes the owner's write permission as the read-only bit of attributeWord asks.
mode_t wantedMode(mode_t mode, int attributeWord)
{
    mode &= 07777;
    return (attributeWord & FileAttributes::ReadOnly) ? (mode & ~mode_t(S_IWUSR)) : (mode | S_IWUSR);
}

// The link in /proc through which the file that descriptor refers to is reached, whatever its name now.
QByteArray procLink(int descriptor)
{
    return QByteArray("/proc/self/fd/") + QByteArray::number(descriptor);
}

// A descriptor shared by the copies of an identity, closed with the last of them.
std::shared_ptr<const NativeHandle> shared(int descriptor)
{
    return std::shared_ptr<const NativeHandle>(new NativeHandle(descriptor), [](const NativeHandle* held) {
        ::close(int(*held));
        delete held;
    });
}

// True for a file system whose files the kernel makes up as they are read (sysfs, procfs and the like):
// nothing of theirs lies on a storage device, and writing them changes the kernel's settings.
bool onPseudoFileSystem(int descriptor)
{
    constexpr long ConfigFsMagic = 0x62656570;
    constexpr long FuseControlMagic = 0x65735543;
    struct statfs fileSystem
    {
    };
    if (::fstatfs(descriptor, &fileSystem) != 0)
        return false;
    const auto type = long(fileSystem.f_type);
    for (const long pseudo : std::initializer_list<long>{
             SYSFS_MAGIC, PROC_SUPER_MAGIC, DEBUGFS_MAGIC, TRACEFS_MAGIC, SECURITYFS_MAGIC, SELINUX_MAGIC,
             SMACK_MAGIC, CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC, BPF_FS_MAGIC, PSTOREFS_MAGIC,
             EFIVARFS_MAGIC, DEVPTS_SUPER_MAGIC, BINFMTFS_MAGIC, NSFS_MAGIC, HUGETLBFS_MAGIC, ConfigFsMagic,
             FuseControlMagic})
        if (type == pseudo)
            return true;
    return false;
}

// Whether the sweeps over the file (status file, descriptor of it) fit the free space. Filling the holes
// of a sparse file allocates their blocks, and the file system needs blocks of its own to record where the
// new ones lie: one in 128 of them (indirect blocks of ext2/3 take one in 256 at 1 KiB blocks and one in
// 1024 at 4 KiB, with double and triple indirect ones a little more; an extent tree of extents one block
// long one in 340) and 16 more for the upper levels of the tree and the inode. Free space is
// what unprivileged writes may use, for root too: the blocks kept back for root keep the system running,
// and on ext4 root's figure also counts blocks no data may take.
RunOutlook spaceOutlook(int descriptor, const struct stat& file)
{
    struct statvfs space
    {
    };
    if (::fstatvfs(descriptor, &space) != 0)
        return {};
    const qint64 block = qMax<qint64>(qint64(space.f_frsize), 512);
    const qint64 holes = qMax<qint64>(qint64(file.st_size) - qint64(file.st_blocks) * 512, 0);
    if (holes == 0)
        return {};
    return RunOutlook::forHoles(holes, block, 128, qint64(space.f_bavail) * block);
}

// Renames from in fromFolder to to in toFolder unless to exists. Where the file system has no
// RENAME_NOREPLACE, a name found free just before stands in. False when nothing was renamed.
bool renameNoReplace(int fromFolder, const QByteArray& from, int toFolder, const QByteArray& to)
{
    if (::renameat2(fromFolder, from.constData(), toFolder, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL)
        return false;
    struct stat taken
    {
    };
    if (::fstatat(toFolder, to.constData(), &taken, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return errno == ENOENT && ::renameat(fromFolder, from.constData(), toFolder, to.constData()) == 0;
}

// The private folder a run moves its file's name into: this prefix and 16 hexadecimal digits nobody can
// foresee. In it the file is named SweepingName while the sweeps go on and OverwrittenName once the last one
// is on the disk. A leftover not known to be overwritten is put back into the folder under PutBackPrefix and
// the same digits, a name the user can see and load.
constexpr char AsidePrefix[] = ".tilgomatic-";
constexpr qsizetype AsideDigits = 16;
constexpr char SweepingName[] = "sweeping";
constexpr char OverwrittenName[] = "overwritten";
constexpr char PutBackPrefix[] = "Tilgomatic-abgebrochen-";

QByteArray asideName()
{
    quint64 bits = 0;
    if (::getrandom(&bits, sizeof bits, 0) != ssize_t(sizeof bits))
        bits ^= quint64(::getpid()) * 0x9E3779B97F4A7C15ULL ^ quint64(::time(nullptr));
    return AsidePrefix + QByteArray::number(bits, 16).rightJustified(AsideDigits, '0');
}

bool isAsideName(const QByteArray& name)
{
    if (!name.startsWith(AsidePrefix) || name.size() != qsizetype(sizeof AsidePrefix) - 1 + AsideDigits)
        return false;
    return std::all_of(name.begin() + qsizetype(sizeof AsidePrefix) - 1, name.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

QByteArray putBackName(const QByteArray& asideFolder)
{
    return PutBackPrefix + asideFolder.mid(qsizetype(sizeof AsidePrefix) - 1);
}

// True for a folder entry (status info) that this user may treat as its own in a folder (status outer):
// made by this user, or on a file system that keeps no owners, bearing the folder owner's, who could
// replace whatever lies in it anyway.
bool madeByUs(const struct stat& info, const struct stat& outer)
{
    return info.st_uid == ::geteuid() || info.st_uid == outer.st_uid;
}

// A fresh private folder in folder, mode 0700, its name in name: held open and locked (so that
// finishLeftovers leaves it alone while the run goes on). -1 with errno set when none could be made.
int makePrivateFolder(int folder, QByteArray& name)
{
    struct stat outer
    {
    };
    if (::fstat(folder, &outer) != 0)
        return -1;
    for (int attempt = 0; attempt < 4; ++attempt) {
        name = asideName();
        if (::mkdirat(folder, name.constData(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            return -1;
        }
        // Between the making and the opening another could have put a folder of theirs in its place.
        const int fd = ::openat(folder, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        struct stat made
        {
        };
        if (fd >= 0 && ::fstat(fd, &made) == 0 && madeByUs(made, outer) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::fchmod(fd, 0700);
            return fd;
        }
        if (fd >= 0)
            ::close(fd);
        errno = EPERM;
        return -1;
    }
    errno = EEXIST;
    return -1;
}

// Removes the private folder held as privateFolder if name in folder still names it and it is empty, and
// closes it, unless it was not empty and keepIfNotEmpty asks to keep it open then.
void dropPrivateFolder(int folder, int& privateFolder, const QByteArray& name, bool keepIfNotEmpty = false)
{
    if (privateFolder < 0)
        return;
    struct stat held
    {
    };
    struct stat named
    {
    };
    if (::fstat(privateFolder, &held) == 0 &&
        ::fstatat(folder, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(held, named) &&
        ::unlinkat(folder, name.constData(), AT_REMOVEDIR) != 0 && errno == ENOTEMPTY && keepIfNotEmpty)
        return;
    ::close(privateFolder);
    privateFolder = -1;
}

bool onBtrfs(int descriptor)
{
    struct statfs fileSystem
    {
    };
    return ::fstatfs(descriptor, &fileSystem) == 0 &&
           quint64(fileSystem.f_type) == quint64(BTRFS_SUPER_MAGIC);
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
    result.error = systemError(errorNumber);
    return result;
}

FileSystem::OpenResult openFailure(int errorNumber)
{
    return openFailure(LinuxFileSystem::statusForError(errorNumber), errorNumber);
}

// InUse, naming the holder where one was seen.
FileSystem::OpenResult inUse(const std::optional<OpenHolders::Holder>& holder, int errorNumber)
{
    FileSystem::OpenResult busy = openFailure(OpenStatus::InUse, errorNumber);
    if (holder) {
        busy.holder = holder->name;
        busy.holderIsTilgomatic = holder->tilgomatic;
    }
    return busy;
}

// InUse, naming the program seen holding the file (opened, whose descriptor fd is ours) where /proc tells.
FileSystem::OpenResult inUse(int fd, const struct stat& opened, int errorNumber)
{
    return inUse(OpenHolders::seenElsewhere(opened.st_dev, opened.st_ino, fd), errorNumber);
}

// Closes a descriptor that is being given up after a failure, keeping the errno of that failure.
FileSystem::OpenResult abandon(int fd, bool leased, FileSystem::OpenResult failure)
{
    if (leased)
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
    ::close(fd);
    return failure;
}

// Immutable or AppendOnly when the file behind fd (O_PATH will do) carries that mark, else Opened.
// statx tells without opening the file; where the file system does not report the marks there, its inode
// flags are read through a read-only descriptor.
OpenStatus protection(int fd)
{
    struct statx marks
    {
    };
    constexpr auto both = std::uint64_t(STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND);
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS, &marks) == 0 &&
        (marks.stx_attributes_mask & both) == both) {
        if (marks.stx_attributes & STATX_ATTR_IMMUTABLE)
            return OpenStatus::Immutable;
        return (marks.stx_attributes & STATX_ATTR_APPEND) ? OpenStatus::AppendOnly : OpenStatus::Opened;
    }
    const int reader = ::open(procLink(fd).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    int flags = 0;
    const bool read = reader >= 0 && ::ioctl(reader, FS_IOC_GETFLAGS, &flags) == 0;
    if (reader >= 0)
        ::close(reader);
    if (read && (flags & FS_IMMUTABLE_FL))
        return OpenStatus::Immutable;
    return read && (flags & FS_APPEND_FL) ? OpenStatus::AppendOnly : OpenStatus::Opened;
}

// The failure of the open for writing of file (held by the descriptor held), with errno errorNumber: a
// holder where one is seen, the mark that forbids writing where one is set.
FileSystem::OpenResult refusedOpen(int held, const struct stat& file, int errorNumber)
{
    const OpenStatus status = LinuxFileSystem::statusForError(errorNumber);
    if (status == OpenStatus::InUse)
        return inUse(-1, file, errorNumber);
    if (errorNumber == EPERM)
        if (const OpenStatus marked = protection(held); marked != OpenStatus::Opened)
            return openFailure(marked, errorNumber);
    return openFailure(status, errorNumber);
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
int LinuxFileSystem::locate(const FileSystem::Path& path, Location& at, const FileIdentity& expected)
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
                       ? ::fcntl(descriptor(*expected.folder), F_DUPFD_CLOEXEC, 0)
                       : ::open(at.folderPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return at.folder.fd < 0 ? errno : 0;
}

// Locates path and reads what its name holds now (without following a link) into named. With a known
// identity, the folder path must still lead to the folder it was found in and the name to the same file.
// 0 on success, ESTALE when either changed, else the errno.
int LinuxFileSystem::lookUp(const FileSystem::Path& path, const FileIdentity& expected, Location& at,
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
std::int64_t LinuxFileSystem::fileLength(const FileSystem::Path& path)
{
    static const char* const operation = "Reading the length";
    const struct stat info = statOrThrow(path, true, operation);
    if (S_ISDIR(info.st_mode))
        throw fileError(path, EISDIR, operation);
    return info.st_size;
}

// The attribute word of the name itself (lstat). Throws FileError when it cannot be stat'ed.
int LinuxFileSystem::attributes(const FileSystem::Path& path)
{
    return attributeWord(path, statOrThrow(path, false, "Reading the attributes"));
}

// The mode of the file held, whatever the name names now.
int LinuxFileSystem::heldAttributes(const FileSystem::Path& path, const FileIdentity& identity)
{
    if (!identity.holdsFile())
        return attributes(path);
    struct stat info
    {
    };
    if (::fstat(descriptor(*identity.file), &info) != 0)
        throw fileError(path, errno, "Reading the attributes");
    return attributeWord(path, info);
}

// Changed through the held file's link in /proc, which leads to that inode alone: a file put under the name
// meanwhile keeps its mode.
void LinuxFileSystem::setHeldAttributes(const FileSystem::Path& path, const FileIdentity& identity,
                                        int attributeWord)
{
    if (!identity.holdsFile()) {
        setAttributes(path, attributeWord);
        return;
    }
    static const char* const operation = "Changing the attributes";
    struct stat info
    {
    };
    if (::fstat(descriptor(*identity.file), &info) != 0)
        throw fileError(path, errno, operation);
    const mode_t wanted = wantedMode(info.st_mode, attributeWord);
    if (wanted == (info.st_mode & 07777))
        return;
    if (!S_ISREG(info.st_mode))
        throw fileError(path, S_ISLNK(info.st_mode) ? ELOOP : ENXIO, operation);
    if (::chmod(procLink(descriptor(*identity.file)).constData(), wanted) != 0)
        throw fileError(path, errno, operation);
}

RunOutlook LinuxFileSystem::outlook(const FileIdentity& identity)
{
    struct stat file
    {
    };
    if (!identity.holdsFile() || ::fstat(descriptor(*identity.file), &file) != 0)
        return {};
    RunOutlook refused;
    // A FIFO, a socket or a device has no content of its own to overwrite (opening some would block or act).
    if (S_ISFIFO(file.st_mode) || S_ISSOCK(file.st_mode) || S_ISCHR(file.st_mode) || S_ISBLK(file.st_mode))
        refused.status = OpenStatus::NotRegularFile;
    else if (!S_ISREG(file.st_mode))
        return {};
    else if (onPseudoFileSystem(descriptor(*identity.file)))
        refused.status = OpenStatus::PseudoFile;
    else
        refused.status = protection(descriptor(*identity.file));
    if (refused.status != OpenStatus::Opened)
        return refused;
    return spaceOutlook(descriptor(*identity.file), file);
}

// Gives or takes the owner's write permission as the read-only bit asks; every other bit of the word and
// of the mode is left alone. Nothing is done when the permission is already as asked. A symbolic link is
// never changed through: asking to change one throws FileError (ELOOP), as does any failure.
void LinuxFileSystem::setAttributes(const FileSystem::Path& path, int attributeWord)
{
    static const char* const operation = "Changing the attributes";
    QByteArray name;
    const struct stat info = statOrThrow(path, false, operation, &name);

    const mode_t wanted = wantedMode(info.st_mode, attributeWord);
    if (wanted == (info.st_mode & 07777))
        return;
    if (S_ISLNK(info.st_mode))
        throw fileError(path, ELOOP, operation);
    // AT_SYMLINK_NOFOLLOW also refuses a link that replaced the file since the lstat above.
    if (::fchmodat(AT_FDCWD, name.constData(), wanted, AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = errno;
        throw fileError(path, error == EOPNOTSUPP ? ELOOP : error, operation);
    }
}

// Opens path for writing, exclusively, keeping its name. Returns status Opened with the descriptor and the
// length read from it, or the reason of the failure with nothing written and the file untouched.
FileSystem::OpenResult LinuxFileSystem::openExclusive(const FileSystem::Path& path,
                                                      const FileIdentity& expected)
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

    // The file itself, held without reading or writing it: the identity's, or one taken now.
    Descriptor own;
    int held = expected.holdsFile() ? descriptor(*expected.file) : -1;
    if (held < 0) {
        own.fd = ::openat(at.folder.fd, at.name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (own.fd < 0)
            return openFailure(errno);
        held = own.fd;
    }
    struct stat file
    {
    };
    if (::fstat(held, &file) != 0)
        return openFailure(errno);
    if (!S_ISREG(file.st_mode))
        return openFailure(OpenStatus::NotRegularFile, ENXIO);
    if (!sameFile(file, named))
        return changed();
    // Writing a file of /sys or /proc changes the kernel's settings; there is nothing to destroy.
    if (onPseudoFileSystem(held))
        return openFailure(OpenStatus::PseudoFile, EINVAL);

    // Reopened from the held inode, so that a file put under the name meanwhile is never opened (without
    // /proc, by the name, and compared below). O_NONBLOCK: another's lease must not hang us, nor a FIFO.
    int fd = ::open(procLink(held).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT)
        fd = ::openat(at.folder.fd, at.name.constData(),
                      O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return refusedOpen(held, file, errno);

    struct stat opened
    {
    };
    if (::fstat(fd, &opened) != 0)
        return abandon(fd, false, openFailure(errno));
    if (!S_ISREG(opened.st_mode))
        return abandon(fd, false, openFailure(OpenStatus::NotRegularFile, ENXIO));
    if (!sameFile(opened, file))
        return abandon(fd, false, changed());

    // A write lease is granted only while no other descriptor of the file exists anywhere.
    bool leased = false;
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0) {
        leased = true;
        // Nobody is to be signalled when someone else's open breaks the lease: the default signal,
        // SIGIO, would end this program.
        ::fcntl(fd, F_SETOWN, 0);
    } else if (errno == EAGAIN) { // NOLINT(bugprone-branch-clone): EWOULDBLOCK below has the same value
        return abandon(fd, false, inUse(fd, opened, EAGAIN));
    } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        // No lease to be had here (not the owner, a network file system); the advisory lock at least
        // keeps out the programs that lock too.
        return abandon(fd, false, inUse(fd, opened, EWOULDBLOCK));
    }
    // Without a lease a holder that does not lock is seen only in /proc (those of our own user).
    if (!leased)
        if (auto holder = OpenHolders::seenElsewhere(opened.st_dev, opened.st_ino, fd))
            return abandon(fd, false, inUse(holder, EBUSY));

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
    if (const RunOutlook space = spaceOutlook(fd, opened); space.status == OpenStatus::NoSpace) {
        result = openFailure(OpenStatus::NoSpace, ENOSPC);
        result.spaceNeeded = space.spaceNeeded;
        result.spaceFree = space.spaceFree;
        return abandon(fd, leased, result);
    }

    {
        const std::lock_guard<std::mutex> lock(m_keptNamesLock);
        KeptName& kept = m_keptNames[fd];
        kept.folder = at.folder.release();
        kept.name = at.name;
        kept.device = quint64(opened.st_dev);
        kept.inode = quint64(opened.st_ino);
        kept.leased = leased;
        // On Btrfs every sync writes the file's name into new metadata: the sweeps are to repeat only a
        // neutral one. Where it cannot be moved, the run goes on with the name in place.
        if (m_nameAsideForSweeps || onBtrfs(fd))
            moveAside(kept, SweepingName);
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    result.status = OpenStatus::Opened;
    result.handle = fd;
    result.length = opened.st_size;
    if (::fstat(fd, &current) == 0)
        result.length = current.st_size;
    return result;
}

FileIdentity LinuxFileSystem::identify(const FileSystem::Path& path)
{
    Location at;
    struct stat file
    {
    };
    struct stat folder
    {
    };
    if (locate(path, at, FileIdentity()) != 0 || ::fstat(at.folder.fd, &folder) != 0)
        return {};
    // O_PATH opens nothing for reading or writing, not even a device or a FIFO, and follows no link.
    Descriptor held;
    held.fd = ::openat(at.folder.fd, at.name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (held.fd >= 0 ? ::fstat(held.fd, &file) != 0
                     : ::fstatat(at.folder.fd, at.name.constData(), &file, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    FileIdentity identity;
    identity.known = true;
    identity.device = quint64(file.st_dev);
    identity.inode = quint64(file.st_ino);
    identity.folderDevice = quint64(folder.st_dev);
    identity.folderInode = quint64(folder.st_ino);
    identity.folder = shared(at.folder.release());
    if (held.fd >= 0)
        identity.file = shared(held.release());
    return identity;
}

bool LinuxFileSystem::isSameFile(const FileSystem::Path& path, const FileIdentity& identity)
{
    if (!identity.known)
        return true;
    Location at;
    struct stat file
    {
    };
    return lookUp(path, identity, at, file) == 0;
}

std::optional<FileSystem::Time> LinuxFileSystem::modifiedTime(const FileSystem::Path& path)
{
    QByteArray name;
    struct stat info
    {
    };
    if (!toNative(path, name) || name.isEmpty() || ::stat(name.constData(), &info) != 0)
        return std::nullopt;
    return Time(std::chrono::duration_cast<Time::duration>(std::chrono::seconds(info.st_mtim.tv_sec) +
                                                           std::chrono::nanoseconds(info.st_mtim.tv_nsec)));
}

std::vector<FileSystem::Path> LinuxFileSystem::namesIn(const FileSystem::Path& folder)
{
    QByteArray name;
    std::vector<Path> names;
    if (!toNative(folder, name) || name.isEmpty())
        return names;
    DIR* dir = ::opendir(name.constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string entryName(entry->d_name);
        if (entryName != "." && entryName != "..")
            names.emplace_back(entryName);
    }
    ::closedir(dir);
    return names;
}

// Writes size bytes at the current position, completing partial writes and retrying interrupted ones.
// A size of 0 issues no system call. False on any failure, including a write that makes no progress.
bool LinuxFileSystem::write(Handle handle, const void* data, std::int64_t size)
{
    if (size < 0)
        return false;
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        const size_t chunk = size_t(std::min<qint64>(size, qint64(1) << 30));
        const ssize_t written = ::write(descriptor(handle), next, chunk);
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
    return ::lseek(descriptor(handle), 0, SEEK_SET) == 0;
}

// Forces the file's data to the device: fdatasync, or fsync where fdatasync is not supported.
// False on failure.
bool LinuxFileSystem::sync(Handle handle)
{
    for (;;) {
        if (::fdatasync(descriptor(handle)) == 0)
            return true;
        if (errno != EINTR)
            break;
    }
    // Only a descriptor that cannot do fdatasync falls back. After a real I/O error a second sync call
    // would report success, although the data never arrived.
    if (errno == EINVAL || errno == ENOSYS)
        return ::fsync(descriptor(handle)) == 0;
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
    const bool removed = removeKeptName(kept->second);
    // A FUSE file system keeps an open file's removed name as a hidden one until the close.
    if (kept->second.privateFolder >= 0) {
        KeptName& later = m_emptiedAtClose[handle];
        later.folder = ::fcntl(kept->second.folder, F_DUPFD_CLOEXEC, 0);
        later.privateName = kept->second.privateName;
        later.privateFolder = std::exchange(kept->second.privateFolder, -1);
    }
    forget(handle, kept);
    return removed;
}

// Moves the name (just seen to name the file held) into the private folder as neutral, made now unless the
// run has one. Whatever else was moved, put under the name between that look and the move, goes back.
bool LinuxFileSystem::moveAside(KeptName& kept, const char* neutral)
{
    if (kept.privateFolder < 0)
        kept.privateFolder = makePrivateFolder(kept.folder, kept.privateName);
    if (kept.privateFolder < 0)
        return false;
    if (!renameNoReplace(kept.folder, kept.name, kept.privateFolder, neutral)) {
        dropPrivateFolder(kept.folder, kept.privateFolder, kept.privateName);
        return false;
    }
    kept.aside = neutral;
    struct stat moved
    {
    };
    if (::fstatat(kept.privateFolder, neutral, &moved, AT_SYMLINK_NOFOLLOW) == 0 &&
        sameFile(moved, kept.device, kept.inode))
        return true;
    putBack(kept);
    return false;
}

// What lies under the neutral name goes back under the kept name, or where that was taken meanwhile, under a
// name the user can see; the private folder goes.
void LinuxFileSystem::putBack(KeptName& kept)
{
    if (!kept.aside.isEmpty() && !renameNoReplace(kept.privateFolder, kept.aside, kept.folder, kept.name))
        renameNoReplace(kept.privateFolder, kept.aside, kept.folder, putBackName(kept.privateName));
    kept.aside.clear();
    dropPrivateFolder(kept.folder, kept.privateFolder, kept.privateName);
}

// A look at the name and its removal are two steps, between which another file could be put under the
// name. So the name is first moved into the run's private folder, where nobody else can put a file, and
// removed there once it is seen to name the file held; anything else goes back. The caller holds
// m_keptNamesLock.
bool LinuxFileSystem::removeKeptName(KeptName& kept)
{
    struct stat current
    {
    };
    if (kept.aside.isEmpty()) {
        if (::fstatat(kept.folder, kept.name.constData(), &current, AT_SYMLINK_NOFOLLOW) != 0 ||
            !sameFile(current, kept.device, kept.inode))
            return false;
        if (m_beforeNameRemoval)
            m_beforeNameRemoval();
        if (!moveAside(kept, OverwrittenName))
            return false;
    } else if (::renameat(kept.privateFolder, kept.aside.constData(), kept.privateFolder, OverwrittenName) ==
               0) {
        // From here on a run killed before the removal leaves a file known to be overwritten.
        kept.aside = OverwrittenName;
    }
    if (m_afterNameAside)
        m_afterNameAside();
    // Only root could have put another file in there; that one would go back.
    if (::fstatat(kept.privateFolder, kept.aside.constData(), &current, AT_SYMLINK_NOFOLLOW) == 0 &&
        sameFile(current, kept.device, kept.inode) &&
        ::unlinkat(kept.privateFolder, kept.aside.constData(), 0) == 0) {
        kept.aside.clear();
        dropPrivateFolder(kept.folder, kept.privateFolder, kept.privateName, true);
        return true;
    }
    putBack(kept);
    return false;
}

// Closes the descriptor. False on failure; EINTR counts as closed, as Linux releases the descriptor anyway.
// A name not removed stays, or goes back from the private folder.
bool LinuxFileSystem::close(Handle handle)
{
    KeptName emptied;
    {
        const std::lock_guard<std::mutex> lock(m_keptNamesLock);
        if (const auto kept = m_keptNames.find(handle); kept != m_keptNames.end()) {
            putBack(kept->second);
            forget(handle, kept);
        }
        if (const auto later = m_emptiedAtClose.find(handle); later != m_emptiedAtClose.end()) {
            emptied = later->second;
            m_emptiedAtClose.erase(later);
        }
    }
    const bool closed = ::close(descriptor(handle)) == 0 || errno == EINTR;
    if (emptied.folder >= 0) {
        dropPrivateFolder(emptied.folder, emptied.privateFolder, emptied.privateName);
        ::close(emptied.folder);
    }
    return closed;
}

// Releases what openExclusive kept for handle; the caller holds m_keptNamesLock.
void LinuxFileSystem::forget(Handle handle, std::map<Handle, KeptName>::iterator kept)
{
    if (kept->second.leased)
        ::fcntl(descriptor(handle), F_SETLEASE, F_UNLCK);
    if (kept->second.privateFolder >= 0)
        ::close(kept->second.privateFolder);
    ::close(kept->second.folder);
    m_keptNames.erase(kept);
}

// The name still held counts as the file's own, not as a further hard link.
StorageMap LinuxFileSystem::storageMap(Handle handle)
{
    std::unique_lock<std::mutex> lock(m_keptNamesLock);
    const int ownName = m_keptNames.count(handle) ? 1 : 0;
    lock.unlock();
    return StorageProbe::probe(descriptor(handle), true, ownName);
}

// Opened for reading only, and only when the name is a regular file: opening a device can have effects.
StorageMap LinuxFileSystem::storageMapOf(const FileSystem::Path& path)
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

// A leftover private folder holds OverwrittenName (removed now), or SweepingName (put back under a name the
// user can see, as nobody knows how far its sweeps got). A private folder still locked belongs to a run that
// goes on. A plain file under such a name (as earlier versions moved the name aside) is put back too.
LeftoverReport LinuxFileSystem::finishLeftovers(const Path& folderPath)
{
    LeftoverReport report;
    QByteArray native;
    if (!toNative(folderPath, native) || native.isEmpty())
        return report;
    Descriptor folder;
    folder.fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat outer
    {
    };
    if (folder.fd < 0 || ::fstat(folder.fd, &outer) != 0)
        return report;
    std::vector<QByteArray> found;
    if (DIR* dir = ::fdopendir(::fcntl(folder.fd, F_DUPFD_CLOEXEC, 0))) {
        while (const dirent* entry = ::readdir(dir))
            if (isAsideName(entry->d_name))
                found.emplace_back(entry->d_name);
        ::closedir(dir);
    }
    const auto path = [&folderPath](const QByteArray& name) { return folderPath / name.toStdString(); };
    for (const QByteArray& name : found) {
        struct stat info
        {
        };
        if (::fstatat(folder.fd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !madeByUs(info, outer))
            continue;
        if (S_ISREG(info.st_mode)) {
            if (renameNoReplace(folder.fd, name, folder.fd, putBackName(name)))
                report.putBack.push_back(path(putBackName(name)));
            else
                report.stuck.push_back(path(name));
            continue;
        }
        Descriptor inner;
        inner.fd = ::openat(folder.fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        struct stat held
        {
        };
        if (inner.fd < 0 || ::fstat(inner.fd, &held) != 0 || !sameFile(info, held) ||
            ::flock(inner.fd, LOCK_EX | LOCK_NB) != 0)
            continue;
        struct stat file
        {
        };
        bool finished = true;
        if (::fstatat(inner.fd, OverwrittenName, &file, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISREG(file.st_mode) && ::unlinkat(inner.fd, OverwrittenName, 0) == 0)
                ++report.removed;
            else
                finished = false;
        }
        if (::fstatat(inner.fd, SweepingName, &file, AT_SYMLINK_NOFOLLOW) == 0) {
            if (renameNoReplace(inner.fd, SweepingName, folder.fd, putBackName(name)))
                report.putBack.push_back(path(putBackName(name)));
            else
                finished = false;
        }
        if (!finished || ::unlinkat(folder.fd, name.constData(), AT_REMOVEDIR) != 0)
            report.stuck.push_back(path(name));
    }
    return report;
}

// path itself when something exists under that name (a dangling link included), otherwise the empty path.
FileSystem::Path LinuxFileSystem::longPathName(const FileSystem::Path& path)
{
    QByteArray name;
    if (!toNative(path, name) || name.isEmpty())
        return {};
    struct stat info
    {
    };
    return ::lstat(name.constData(), &info) == 0 ? path : Path();
}

// True when openExclusive would get no lease on path, so that programs of other users cannot be checked.
bool LinuxFileSystem::openersMayBeUnseen(const FileSystem::Path& path)
{
    QByteArray name;
    return toNative(path, name) && OpenHolders::leaseOutOfReach(name);
}
