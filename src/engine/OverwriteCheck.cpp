#include "engine/OverwriteCheck.h"

#include <algorithm>
#include <linux/magic.h>

namespace OverwriteCheck {

namespace {

// How a file system treats an overwrite of a file's bytes.
enum class Kind {
    InPlace,     // writes over the blocks the extent map names; the maps must agree
    InPlaceOnly, // writes in place and may have no extent map at all (FAT, exFAT): vouched for by type
    CopyOnWrite, // writes changes to new blocks
    Unknown,     // no map or no knowledge of its ways: nothing can be said
};

struct FileSystemKind
{
    Kind kind;
    QString name;
};

// Not in the system's list of file-system types.
constexpr quint64 ZfsMagic = 0x2FC12FC1;
constexpr quint64 BcachefsMagic = 0xCA451A4E;

FileSystemKind kindOf(const StorageMap& map)
{
    switch (map.fileSystemType) {
    case EXT4_SUPER_MAGIC:
        return {Kind::InPlace,
                map.typeName.startsWith(QLatin1String("ext")) ? map.typeName : QStringLiteral("ext4")};
    case XFS_SUPER_MAGIC:
        return {Kind::InPlace, QStringLiteral("XFS")};
    case F2FS_SUPER_MAGIC:
        return {Kind::InPlace, QStringLiteral("F2FS")};
    case MSDOS_SUPER_MAGIC:
        return {Kind::InPlaceOnly, QStringLiteral("FAT")};
    case EXFAT_SUPER_MAGIC:
        return {Kind::InPlaceOnly, QStringLiteral("exFAT")};
    case BTRFS_SUPER_MAGIC:
        // A file marked no-copy-on-write is written in place as long as no snapshot shares its blocks.
        return {(map.inodeFlags & StorageMap::NoCopyOnWrite) ? Kind::InPlace : Kind::CopyOnWrite,
                QStringLiteral("Btrfs")};
    case ZfsMagic:
        return {Kind::CopyOnWrite, QStringLiteral("ZFS")};
    case BcachefsMagic:
        return {Kind::CopyOnWrite, QStringLiteral("bcachefs")};
    case NILFS_SUPER_MAGIC:
        return {Kind::CopyOnWrite, QStringLiteral("NILFS")};
    default:
        return {Kind::Unknown, map.typeName};
    }
}

quint32 allFlags(const StorageMap& map)
{
    quint32 flags = 0;
    for (const StorageExtent& extent : map.extents)
        flags |= extent.flags;
    return flags;
}

// The data journal of ext3/ext4, for the whole mount or for this one file.
bool journalsData(const StorageMap& map)
{
    return map.fileSystemType == EXT4_SUPER_MAGIC &&
           (map.mountOptions.contains(QLatin1String("data=journal")) ||
            (map.inodeFlags & StorageMap::JournalData));
}

// True when every byte of the file that had a place on the device before still has the same place after.
// Holes and unwritten extents held no data, so where their new blocks went does not matter.
bool sameLocations(const StorageMap& before, const StorageMap& after)
{
    const quint64 size = quint64(std::max<qint64>(before.size, 0));
    for (const StorageExtent& old : before.extents) {
        if (old.flags & StorageExtent::Unwritten)
            continue;
        quint64 position = old.logical;
        const quint64 end = std::min(old.logical + old.length, size);
        while (position < end) {
            const auto now =
                std::find_if(after.extents.begin(), after.extents.end(), [&](const StorageExtent& e) {
                    return e.logical <= position && position < e.logical + e.length;
                });
            if (now == after.extents.end() || now->physical - now->logical != old.physical - old.logical)
                return false;
            position = now->logical + now->length;
        }
    }
    return true;
}

Result judgeMaps(const StorageMap& before, const StorageMap& after, bool pendingWritesAllowed)
{
    Result result;
    result.otherNames = before.otherNames > 0 || after.otherNames > 0;
    if (!before.known || !after.known)
        return result;
    const FileSystemKind fileSystem = kindOf(before);
    result.fileSystem = fileSystem.name;
    const auto notReached = [&result](Reason reason) {
        result.outcome = Outcome::NotReached;
        result.reason = reason;
        return result;
    };

    if (fileSystem.kind == Kind::Unknown)
        return result;
    const quint32 flags = allFlags(before) | allFlags(after);
    if (flags & StorageExtent::Shared)
        return notReached(Reason::Shared);
    if (flags & (StorageExtent::Inline | StorageExtent::Tail | StorageExtent::NotAligned))
        return notReached(Reason::Inline);
    if (fileSystem.kind == Kind::CopyOnWrite || (flags & StorageExtent::Encoded))
        return notReached(Reason::CopyOnWrite);
    if (journalsData(before))
        return notReached(Reason::Journalled);

    const bool mapped = before.extentsKnown && after.extentsKnown;
    if (fileSystem.kind == Kind::InPlace && !mapped)
        return result;
    if (mapped) {
        if (!pendingWritesAllowed && (flags & (StorageExtent::Unknown | StorageExtent::Delalloc)))
            return result;
        if (!sameLocations(before, after))
            return notReached(Reason::CopyOnWrite);
    }
    result.outcome = Outcome::Verified;
    return result;
}

} // namespace

Result judge(const StorageMap& before, const StorageMap& after)
{
    return judgeMaps(before, after, false);
}

Result expect(const StorageMap& now)
{
    return judgeMaps(now, now, true);
}

} // namespace OverwriteCheck
