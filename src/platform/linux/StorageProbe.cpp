// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/StorageProbe.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <linux/btrfs.h>
#include <linux/dm-ioctl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <vector>

static_assert(StorageExtent::Shared == FIEMAP_EXTENT_SHARED &&
              StorageExtent::Inline == FIEMAP_EXTENT_DATA_INLINE &&
              StorageExtent::Unknown == FIEMAP_EXTENT_UNKNOWN &&
              StorageExtent::Tail == FIEMAP_EXTENT_DATA_TAIL);
static_assert(FileStorage::JournalData == FS_JOURNAL_DATA_FL && FileStorage::NoCopyOnWrite == FS_NOCOW_FL);

namespace StorageProbe {

namespace {

using StorageRanges::Ranges;
using StorageRanges::shifted;

// Not in the system's list of file-system types.
constexpr quint64 ZfsMagic = 0x2FC12FC1;
constexpr quint64 BcachefsMagic = 0xCA451A4E;
// Extents asked for per call; a file with more takes further calls.
constexpr unsigned BatchSize = 256;
// Devices stacked deeper than this are not followed further (and count as not checkable).
constexpr int MaxDepth = 8;

quint64 magicOf(const struct statfs& fileSystem)
{
    return quint64(fileSystem.f_type) & 0xFFFFFFFFu;
}

FileSystemKind kindOf(quint64 magic)
{
    switch (magic) {
    case EXT4_SUPER_MAGIC:
        return FileSystemKind::Ext;
    case XFS_SUPER_MAGIC:
        return FileSystemKind::Xfs;
    case F2FS_SUPER_MAGIC:
        return FileSystemKind::F2fs;
    case MSDOS_SUPER_MAGIC:
        return FileSystemKind::Fat;
    case EXFAT_SUPER_MAGIC:
        return FileSystemKind::ExFat;
    case BTRFS_SUPER_MAGIC:
        return FileSystemKind::Btrfs;
    case ZfsMagic:
        return FileSystemKind::Zfs;
    case BcachefsMagic:
        return FileSystemKind::Bcachefs;
    case NILFS_SUPER_MAGIC:
        return FileSystemKind::Nilfs;
    default:
        return FileSystemKind::Other;
    }
}

// The extents of fd that touch [start, end), in file order, appended to extents without repeating one
// that is there already; false when the file system has no extent map.
bool readExtents(int fd, bool flush, quint64 start, quint64 end, std::vector<StorageExtent>& extents)
{
    std::vector<char> buffer(sizeof(fiemap) + BatchSize * sizeof(fiemap_extent));
    auto* map = reinterpret_cast<fiemap*>(buffer.data());
    while (start < end) {
        std::memset(buffer.data(), 0, buffer.size());
        map->fm_start = start;
        map->fm_length = end - start;
        map->fm_flags = flush ? FIEMAP_FLAG_SYNC : 0;
        map->fm_extent_count = BatchSize;
        if (::ioctl(fd, FS_IOC_FIEMAP, map) != 0)
            return false;
        if (map->fm_mapped_extents == 0)
            return true;
        for (unsigned i = 0; i < map->fm_mapped_extents; ++i) {
            const fiemap_extent& e = map->fm_extents[i];
            if (extents.empty() || e.fe_logical >= extents.back().logical + extents.back().length)
                extents.push_back({e.fe_logical, e.fe_physical, e.fe_length, e.fe_flags});
            if (e.fe_flags & FIEMAP_EXTENT_LAST)
                return true;
        }
        const fiemap_extent& last = map->fm_extents[map->fm_mapped_extents - 1];
        if (last.fe_logical + last.fe_length <= start)
            return true; // no progress: take what there is
        start = last.fe_logical + last.fe_length;
    }
    return true;
}

// The extents of fd in file order, all of them or, with within, those that touch its stretches: an image
// file of many gigabytes in thousands of pieces is read only where the file above lies. Only the first
// call flushes, which flushes the whole file.
bool readExtents(int fd, bool flush, const Ranges* within, std::vector<StorageExtent>& extents)
{
    if (!within)
        return readExtents(fd, flush, 0, FIEMAP_MAX_OFFSET, extents);
    for (const auto& [start, end] : *within) {
        if (!readExtents(fd, flush, start, end, extents))
            return false;
        flush = false;
    }
    return true;
}

// The mount table escapes blanks, tabs, newlines and backslashes as \ooo.
QByteArray unescaped(const QByteArray& field)
{
    QByteArray text;
    for (qsizetype i = 0; i < field.size(); ++i) {
        bool octal = false;
        const int code = field.mid(i + 1, 3).toInt(&octal, 8);
        if (field.at(i) == '\\' && i + 3 < field.size() && octal && code < 256) {
            text += char(code);
            i += 3;
        } else {
            text += field.at(i);
        }
    }
    return text;
}

struct Mount
{
    QByteArray root;       // the folder of the file system that is mounted here
    QByteArray mountPoint; // where
    QString type;
    QList<QByteArray> options; // the mount's own and its file system's
};

// The mount table lines of the file system on device (of every one without device), in the table's order.
QList<Mount> mountsOf(std::optional<dev_t> device)
{
    QList<Mount> mounts;
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return mounts;
    const QByteArray wanted =
        device ? QByteArray::number(major(*device)) + ':' + QByteArray::number(minor(*device)) : QByteArray();
    // Lines: id parent major:minor root mountpoint options [optional fields] - type source superoptions
    const QList<QByteArray> lines = table.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 10 || (device && fields.at(2) != wanted))
            continue;
        const qsizetype dash = fields.indexOf("-", 6);
        if (dash < 0 || dash + 3 >= fields.size())
            continue;
        Mount mount{
            unescaped(fields.at(3)), unescaped(fields.at(4)), QString::fromUtf8(fields.at(dash + 1)), {}};
        for (const QByteArray& option : fields.at(5).split(',') + fields.at(dash + 3).split(','))
            mount.options.append(unescaped(option));
        mounts.append(mount);
    }
    return mounts;
}

QByteArray readSmall(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(4096).trimmed();
}

// The block device's folder in sysfs, or empty when device is no block device (tmpfs, a network file
// system, the anonymous device of Btrfs).
QString blockFolder(dev_t device)
{
    const QFileInfo link(QStringLiteral("/sys/dev/block/%1:%2").arg(major(device)).arg(minor(device)));
    return link.exists() ? link.canonicalFilePath() : QString();
}

// Type and options of the file system on device. ext4 keeps defaults in its super block (a data journal
// set with tune2fs, for one) that the mount table does not show; its own list of options has them all.
void describeFileSystem(dev_t device, quint64 magic, FileStorage& storage)
{
    storage.kind = kindOf(magic);
    const QList<Mount> mounts = mountsOf(device);
    if (!mounts.isEmpty()) {
        storage.typeName = mounts.first().type.toStdString();
        for (const QByteArray& option : mounts.first().options)
            storage.mountOptions.push_back(option.toStdString());
    }
    if (storage.kind == FileSystemKind::Ext) {
        const QByteArray options = readSmall(
            QStringLiteral("/proc/fs/ext4/%1/options").arg(QFileInfo(blockFolder(device)).fileName()));
        if (!options.isEmpty()) {
            storage.mountOptions.clear();
            for (const QByteArray& option : options.split('\n'))
                storage.mountOptions.push_back(option.trimmed().toStdString());
        }
    }
}

// Extents (all, or those within), length and inode flags of the open file fd.
void describeFile(int fd, const struct stat& info, bool flush, const Ranges* within, FileStorage& storage)
{
    storage.known = true;
    storage.size = info.st_size;
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0)
        storage.inodeFlags = quint32(flags);
    storage.extentsKnown = readExtents(fd, flush, within, storage.extents);
}

bool isReadOnly(int fd)
{
    struct statvfs info
    {
    };
    return ::fstatvfs(fd, &info) == 0 && (info.f_flag & ST_RDONLY);
}

// The block devices a file system lies on: its own device, or for Btrfs, whose files carry an anonymous
// device number, every device of the file system.
std::vector<dev_t> devicesOf(int fd, dev_t device, FileSystemKind kind)
{
    if (!blockFolder(device).isEmpty())
        return {device};
    std::vector<dev_t> devices;
    btrfs_ioctl_fs_info_args info{};
    if (kind != FileSystemKind::Btrfs || ::ioctl(fd, BTRFS_IOC_FS_INFO, &info) != 0)
        return devices;
    const QByteArray id = QByteArray(reinterpret_cast<const char*>(info.fsid), BTRFS_FSID_SIZE).toHex();
    const QString uuid = QString::fromLatin1(id.left(8) + '-' + id.mid(8, 4) + '-' + id.mid(12, 4) + '-' +
                                             id.mid(16, 4) + '-' + id.mid(20));
    const QDir folder(QStringLiteral("/sys/fs/btrfs/%1/devices").arg(uuid));
    for (const QString& name : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System)) {
        const QList<QByteArray> numbers =
            readSmall(folder.filePath(name) + QStringLiteral("/dev")).split(':');
        if (numbers.size() == 2)
            devices.push_back(makedev(numbers.at(0).toUInt(), numbers.at(1).toUInt()));
    }
    return devices;
}

// The target types of a device-mapper table ("linear", "crypt", "thin"), asked of the kernel; only root
// may ask. Empty when it cannot be told.
std::string deviceMapperTargets(dev_t device)
{
    const int control = ::open("/dev/mapper/control", O_RDWR | O_CLOEXEC);
    if (control < 0)
        return {};
    std::vector<quint64> buffer(2048); // aligned for the structures
    auto* io = reinterpret_cast<dm_ioctl*>(buffer.data());
    io->version[0] = DM_VERSION_MAJOR;
    io->data_size = quint32(buffer.size() * sizeof(quint64));
    io->data_start = sizeof(dm_ioctl);
    io->flags = DM_STATUS_TABLE_FLAG;
    io->dev = quint64(device);
    const bool asked = ::ioctl(control, DM_TABLE_STATUS, io) == 0 && !(io->flags & DM_BUFFER_FULL_FLAG);
    ::close(control);
    if (!asked)
        return {};
    QStringList targets;
    const char* data = reinterpret_cast<const char*>(io) + io->data_start;
    const char* end = reinterpret_cast<const char*>(io) + io->data_size;
    quint32 next = 0;
    for (quint32 i = 0; i < io->target_count; ++i) {
        if (data + next + sizeof(dm_target_spec) > end)
            return {};
        dm_target_spec spec;
        std::memcpy(&spec, data + next, sizeof(spec));
        const QString type =
            QString::fromLatin1(spec.target_type, qsizetype(qstrnlen(spec.target_type, DM_MAX_TYPE_NAME)));
        if (!targets.contains(type))
            targets.append(type);
        if (spec.next <= next && i + 1 < io->target_count)
            return {};
        next = spec.next;
    }
    return targets.join(QLatin1Char(',')).toStdString();
}

// Where the data lies in the device a layer makes: known for an image beneath a file system that maps
// device offsets, nullopt where the whole device counts.
using Places = std::optional<Ranges>;

void addLayers(const std::vector<dev_t>& devices, int above, const Places& places, bool flush, int depth,
               StorageMap& map);

// A loop device (the layer at index) whose backing path is a block device (another loop device, zram, a
// disk): it maps every block to the same block of that device, offset, so that device and its own layers are
// what keeps the data; they are looked at where the device above lay. False, with nothing done, when path
// names no block device (an image file, or nothing any more).
bool addBackingDevice(const QByteArray& path, int index, const Places& places, bool flush, int depth,
                      StorageMap& map)
{
    struct stat backing
    {
    };
    if (path.isEmpty() || path.endsWith(" (deleted)") || ::stat(path.constData(), &backing) != 0 ||
        !S_ISBLK(backing.st_mode))
        return false;
    StorageLayer& layer = map.layers[size_t(index)];
    layer.kind = StorageLayer::Kind::LoopDevice;
    addLayers({backing.st_rdev}, index, shifted(places, layer.offset), flush, depth + 1, map);
    return true;
}

bool slavesAreMapped(const QString& slaves)
{
    const QDir folder(slaves);
    for (const QString& name : folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System))
        if (QFileInfo::exists(folder.filePath(name) + QStringLiteral("/dm")))
            return true;
    return false;
}

// The layer of one block device, and those beneath it; places: where the data lies in it.
void addLayer(dev_t device, int above, const Places& places, bool flush, int depth, StorageMap& map)
{
    std::vector<StorageLayer>& layers = map.layers;
    QString folder = blockFolder(device);
    if (folder.isEmpty())
        return;
    quint64 start = 0;
    // A partition: its disk holds the loop or the table, and the partition begins start sectors into it.
    if (QFileInfo::exists(folder + QStringLiteral("/partition"))) {
        start = readSmall(folder + QStringLiteral("/start")).toULongLong() * 512;
        folder = QFileInfo(folder).path();
    }
    const QString slaves = folder + QStringLiteral("/slaves");
    const bool stacked = !QDir(slaves).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    StorageLayer layer;
    layer.device = QFileInfo(folder).fileName().toStdString();
    layer.above = above;
    if (QFileInfo::exists(folder + QStringLiteral("/loop/backing_file"))) {
        layer.kind = StorageLayer::Kind::ImageFile;
        layer.offset = start + readSmall(folder + QStringLiteral("/loop/offset")).toULongLong();
    } else if (QFileInfo::exists(folder + QStringLiteral("/dm"))) {
        layer.kind = StorageLayer::Kind::DeviceMapper;
        layer.target = deviceMapperTargets(device);
        // Only root may read the table. dm-crypt and LVM name their devices so that the plain cases show:
        // an LVM volume that lies straight on disks (no snapshot, thin pool or cache, which are further
        // devices beneath it) is linear or striped.
        const QByteArray uuid = readSmall(folder + QStringLiteral("/dm/uuid"));
        if (layer.target.empty() && uuid.startsWith("CRYPT-"))
            layer.target = "crypt";
        else if (layer.target.empty() && uuid.startsWith("LVM-") && uuid.size() == 68 &&
                 !slavesAreMapped(slaves))
            layer.target = "linear";
    } else if (QFileInfo::exists(folder + QStringLiteral("/md"))) {
        layer.kind = StorageLayer::Kind::Raid;
        layer.target = readSmall(folder + QStringLiteral("/md/level")).toStdString();
    } else if (!stacked) {
        // A disk of its own, at the bottom.
        const std::string disk = QFileInfo(folder).fileName().toStdString();
        if (std::find(map.disks.begin(), map.disks.end(), disk) == map.disks.end())
            map.disks.push_back(disk);
        return;
    }
    const int index = int(layers.size());
    layers.push_back(layer);
    if (depth >= MaxDepth) {
        layers.push_back({StorageLayer::Kind::Other, "…", {}, index, 0, {}});
        return;
    }

    if (layer.kind == StorageLayer::Kind::ImageFile) {
        // The kernel names the file by its path, with " (deleted)" after a removal: then no name leads to
        // it any more.
        QFile named(folder + QStringLiteral("/loop/backing_file"));
        QByteArray path = named.open(QIODevice::ReadOnly) ? named.read(PATH_MAX + 16) : QByteArray();
        if (path.endsWith('\n'))
            path.chop(1);
        if (addBackingDevice(path, index, places, flush, depth, map))
            return;
        const int fd = path.endsWith(" (deleted)")
                           ? -1
                           : ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            return;
        struct stat info
        {
        };
        struct statfs fileSystem
        {
        };
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::fstatfs(fd, &fileSystem) == 0) {
            const Places inImage = shifted(places, layer.offset);
            const Ranges* within = inImage ? &*inImage : nullptr;
            FileStorage image;
            describeFile(fd, info, flush, within, image);
            describeFileSystem(info.st_dev, magicOf(fileSystem), image);
            image.readOnly = isReadOnly(fd);
            layers[size_t(index)].image = image;
            addLayers(devicesOf(fd, info.st_dev, image.kind), index,
                      StorageRanges::devicePlaces(image, within), flush, depth + 1, map);
        }
        ::close(fd);
        return;
    }
    std::vector<dev_t> below;
    const QDir slaveFolder(slaves);
    for (const QString& name :
         slaveFolder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)) {
        const QList<QByteArray> numbers =
            readSmall(slaveFolder.filePath(name) + QStringLiteral("/dev")).split(':');
        if (numbers.size() == 2)
            below.push_back(makedev(numbers.at(0).toUInt(), numbers.at(1).toUInt()));
    }
    // Where a mapped or RAID device puts its blocks on the ones beneath is not followed.
    addLayers(below, index, std::nullopt, flush, depth + 1, map);
}

void addLayers(const std::vector<dev_t>& devices, int above, const Places& places, bool flush, int depth,
               StorageMap& map)
{
    for (dev_t device : devices)
        addLayer(device, above, places, flush, depth, map);
}

// The overlay layers' folders from the mount options: the upper one and the lower ones, topmost first.
void overlayFolders(const Mount& mount, QByteArray& upper, QList<QByteArray>& lowers)
{
    for (const QByteArray& option : mount.options) {
        if (option.startsWith("upperdir="))
            upper = option.mid(9);
        else if (option.startsWith("lowerdir+="))
            lowers.append(option.mid(10));
        else if (option.startsWith("lowerdir=")) {
            // Separated by colons; a colon inside a name is written "\:". A double colon begins the
            // data-only layers, which no name reaches.
            QByteArray name;
            const QByteArray list = option.mid(9);
            for (qsizetype i = 0; i < list.size(); ++i) {
                if (list.at(i) == '\\' && i + 1 < list.size()) {
                    name += list.at(++i);
                } else if (list.at(i) == ':') {
                    if (name.isEmpty())
                        return;
                    lowers.append(name);
                    name.clear();
                } else {
                    name += list.at(i);
                }
            }
            if (!name.isEmpty())
                lowers.append(name);
        }
    }
}

// Whether the overlay left its mark name on path (in the trusted namespace, or the user one for an
// overlay mounted without privileges). Only the presence counts; an origin's value is long.
bool overlayMark(const QByteArray& path, const char* name)
{
    for (const char* prefix : {"trusted.overlay.", "user.overlay."}) {
        const QByteArray key = QByteArray(prefix) + name;
        if (::lgetxattr(path.constData(), key.constData(), nullptr, 0) >= 0)
            return true;
    }
    return false;
}

// Whether the file behind fd, seen through the overlay mount, also exists in a lower layer. A file copied
// up from below carries its origin; one only ever written above has no counterpart below unless an
// opaque folder above hides it. Sets upper to the upper layer's folder.
StorageMap::Overlay overlayPlacement(int fd, const QList<Mount>& mounts, QByteArray& upper)
{
    char target[PATH_MAX + 16];
    const ssize_t length = ::readlink(QByteArray("/proc/self/fd/" + QByteArray::number(fd)).constData(),
                                      target, sizeof(target) - 1);
    if (length <= 0)
        return StorageMap::Overlay::Unknown;
    QByteArray path(target, length);
    struct stat info
    {
    };
    if (path.endsWith(" (deleted)") && ::fstat(fd, &info) == 0 && info.st_nlink == 0)
        path.chop(10);
    // The mount the name was reached through: the deepest one whose mount point holds it, the last one
    // mounted there where several are. Its device number is no guide: where the layers lie on different
    // file systems, the overlay hands out theirs for the files.
    const Mount* through = nullptr;
    QByteArray point;
    for (const Mount& mount : mounts) {
        const QByteArray candidate = mount.mountPoint == "/" ? QByteArray() : mount.mountPoint;
        if (path.startsWith(candidate + '/') && (!through || candidate.size() >= point.size())) {
            through = &mount;
            point = candidate;
        }
    }
    if (!through || through->type != QLatin1String("overlay"))
        return StorageMap::Overlay::Unknown;
    const Mount& mount = *through;
    QList<QByteArray> lowers;
    overlayFolders(mount, upper, lowers);
    if (upper.isEmpty())
        return StorageMap::Overlay::Unknown;
    const QByteArray relative = (mount.root == "/" ? QByteArray() : mount.root) + path.mid(point.size());

    // An opaque folder above hides everything below it; a renamed one leads elsewhere below.
    const QList<QByteArray> names = relative.split('/');
    QByteArray folder = upper;
    for (qsizetype i = 1; i + 1 < names.size(); ++i) {
        folder += '/' + names.at(i);
        if (overlayMark(folder, "redirect"))
            return StorageMap::Overlay::Unknown;
        if (overlayMark(folder, "opaque"))
            return StorageMap::Overlay::UpperOnly;
    }
    if (overlayMark(upper + relative, "origin"))
        return StorageMap::Overlay::LowerToo;
    for (const QByteArray& lower : lowers) {
        if (::lstat((lower + relative).constData(), &info) == 0 &&
            !(S_ISCHR(info.st_mode) && info.st_rdev == makedev(0, 0)))
            return StorageMap::Overlay::LowerToo;
    }
    return StorageMap::Overlay::UpperOnly;
}

} // namespace

StorageMap probe(int fd, bool flush, int ownName)
{
    StorageMap map;
    struct stat info
    {
    };
    struct statfs fileSystem
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::fstatfs(fd, &fileSystem) != 0)
        return map;
    describeFile(fd, info, flush, nullptr, map);
    map.readOnly = isReadOnly(fd);
    map.otherNames = info.st_nlink > nlink_t(ownName) ? quint64(info.st_nlink) - quint64(ownName) : 0;

    dev_t device = info.st_dev;
    quint64 magic = magicOf(fileSystem);
    int deviceFd = fd;
    int upperFd = -1;
    if (magic == OVERLAYFS_SUPER_MAGIC) {
        // The overlay passes the extent map and the flags through to the real file; its file system is
        // the upper layer's, where every write goes.
        const QList<Mount> mounts = mountsOf(std::nullopt);
        QByteArray upper;
        map.overlay = overlayPlacement(fd, mounts, upper);
        struct stat upperInfo
        {
        };
        upperFd = upper.isEmpty() ? -1 : ::open(upper.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (upperFd >= 0 && ::fstat(upperFd, &upperInfo) == 0 && ::fstatfs(upperFd, &fileSystem) == 0) {
            device = upperInfo.st_dev;
            magic = magicOf(fileSystem);
            deviceFd = upperFd;
        } else {
            magic = 0; // an overlay without an upper layer: nothing to say of it
            map.overlay = StorageMap::Overlay::Unknown;
        }
    }
    describeFileSystem(device, magic, map);
    addLayers(devicesOf(deviceFd, device, map.kind), -1, StorageRanges::devicePlaces(map, nullptr), flush, 0,
              map);
    if (upperFd >= 0)
        ::close(upperFd);
    map.flash = onFlash(map.disks);
    return map;
}

bool onFlash(const std::vector<std::string>& disks, const QString& sysBlock)
{
    return std::any_of(disks.begin(), disks.end(), [&sysBlock](const std::string& disk) {
        const QString name = QString::fromStdString(disk);
        const bool memory =
            name.startsWith(QLatin1String("zram")) ||
            (name.startsWith(QLatin1String("ram")) && name.size() > 3 && name.at(3).isDigit());
        return !memory && readSmall(sysBlock + u'/' + name + QStringLiteral("/queue/rotational")) == "0";
    });
}

} // namespace StorageProbe
