#include "platform/linux/StorageProbe.h"

#include <QFile>

#include <linux/fiemap.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <cstring>
#include <vector>

static_assert(StorageExtent::Shared == FIEMAP_EXTENT_SHARED &&
              StorageExtent::Inline == FIEMAP_EXTENT_DATA_INLINE &&
              StorageExtent::Unknown == FIEMAP_EXTENT_UNKNOWN &&
              StorageExtent::Tail == FIEMAP_EXTENT_DATA_TAIL);
static_assert(StorageMap::JournalData == FS_JOURNAL_DATA_FL && StorageMap::NoCopyOnWrite == FS_NOCOW_FL);

namespace StorageProbe {

namespace {

constexpr quint64 FuseMagic = FUSE_SUPER_MAGIC;
// Extents asked for per call; a file with more takes further calls.
constexpr unsigned BatchSize = 256;

// The extents of fd in file order; false when the file system has no extent map.
bool readExtents(int fd, bool flush, std::vector<StorageExtent>& extents)
{
    std::vector<char> buffer(sizeof(fiemap) + BatchSize * sizeof(fiemap_extent));
    auto* map = reinterpret_cast<fiemap*>(buffer.data());
    quint64 start = 0;
    for (;;) {
        std::memset(buffer.data(), 0, buffer.size());
        map->fm_start = start;
        map->fm_length = FIEMAP_MAX_OFFSET - start;
        map->fm_flags = flush ? FIEMAP_FLAG_SYNC : 0;
        map->fm_extent_count = BatchSize;
        if (::ioctl(fd, FS_IOC_FIEMAP, map) != 0)
            return false;
        if (map->fm_mapped_extents == 0)
            return true;
        for (unsigned i = 0; i < map->fm_mapped_extents; ++i) {
            const fiemap_extent& e = map->fm_extents[i];
            extents.push_back({e.fe_logical, e.fe_physical, e.fe_length, e.fe_flags});
            if (e.fe_flags & FIEMAP_EXTENT_LAST)
                return true;
        }
        const fiemap_extent& last = map->fm_extents[map->fm_mapped_extents - 1];
        if (last.fe_logical + last.fe_length <= start)
            return true; // no progress: take what there is
        start = last.fe_logical + last.fe_length;
    }
}

// The mount table line of the file system on device: type and options (the mount's and the super block's).
void readMount(dev_t device, StorageMap& map)
{
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return;
    const QByteArray wanted = QByteArray::number(major(device)) + ':' + QByteArray::number(minor(device));
    // Lines: id parent major:minor root mountpoint options [optional fields] - type source superoptions
    const QList<QByteArray> lines = table.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 10 || fields.at(2) != wanted)
            continue;
        const qsizetype dash = fields.indexOf("-", 6);
        if (dash < 0 || dash + 3 >= fields.size())
            continue;
        map.typeName = QString::fromUtf8(fields.at(dash + 1));
        for (const QByteArray& option : fields.at(5).split(',') + fields.at(dash + 3).split(','))
            map.mountOptions.append(QString::fromUtf8(option));
        return;
    }
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
    map.known = true;
    map.fileSystemType = quint64(fileSystem.f_type) & 0xFFFFFFFFu;
    map.size = info.st_size;
    map.otherNames = info.st_nlink > nlink_t(ownName) ? quint64(info.st_nlink) - quint64(ownName) : 0;
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0)
        map.inodeFlags = quint32(flags);
    map.extentsKnown = readExtents(fd, flush, map.extents);
    readMount(info.st_dev, map);
    return map;
}

bool isFuse(int fd)
{
    struct statfs fileSystem
    {
    };
    return ::fstatfs(fd, &fileSystem) == 0 && (quint64(fileSystem.f_type) & 0xFFFFFFFFu) == FuseMagic;
}

} // namespace StorageProbe
