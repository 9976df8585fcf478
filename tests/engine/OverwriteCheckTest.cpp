// The verdict on a run from the storage maps taken before the first and after the last sweep.

#include "engine/OverwriteCheck.h"

#include <gtest/gtest.h>

using OverwriteCheck::Outcome;
using OverwriteCheck::Reason;

namespace {

constexpr quint64 Ext = 0xEF53, Xfs = 0x58465342, Btrfs = 0x9123683E, Fat = 0x4d44, Fuse = 0x65735546;
constexpr quint32 NoFlag = 0;
const std::vector<StorageExtent> OneMiB{{0, 1 << 20, 1 << 20, StorageExtent::Last}};

StorageMap map(quint64 type, std::vector<StorageExtent> extents, bool extentsKnown = true)
{
    StorageMap map;
    map.known = true;
    map.fileSystemType = type;
    map.extentsKnown = extentsKnown;
    map.extents = std::move(extents);
    map.size = 1 << 20;
    return map;
}

struct Case
{
    const char* what;
    StorageMap before;
    StorageMap after;
    Outcome outcome;
    Reason reason;
};

StorageMap withOption(StorageMap map, const char* option)
{
    map.mountOptions << QString::fromLatin1(option);
    return map;
}

StorageMap withInodeFlags(StorageMap map, quint32 flags)
{
    map.inodeFlags = flags;
    return map;
}

} // namespace

TEST(OverwriteCheck, RecordedMapsGiveTheirVerdict)
{
    const StorageMap unknownSpot =
        map(Ext, {{0, 0, 1 << 20, StorageExtent::Unknown | StorageExtent::Delalloc}});
    const Case cases[] = {
        {"in place", map(Ext, OneMiB), map(Ext, OneMiB), Outcome::Verified, Reason::None},
        {"same places, split", map(Xfs, OneMiB),
         map(Xfs, {{0, 1 << 20, 4096, NoFlag}, {4096, (1 << 20) + 4096, (1 << 20) - 4096, NoFlag}}),
         Outcome::Verified, Reason::None},
        {"hole filled", map(Ext, {{0, 1 << 20, 4096, NoFlag}}), map(Ext, OneMiB), Outcome::Verified,
         Reason::None},
        {"moved", map(Ext, OneMiB), map(Ext, {{0, 5 << 20, 1 << 20, NoFlag}}), Outcome::NotReached,
         Reason::CopyOnWrite},
        {"partly moved", map(Ext, OneMiB),
         map(Ext, {{0, 1 << 20, 4096, NoFlag}, {4096, 9 << 20, (1 << 20) - 4096, NoFlag}}),
         Outcome::NotReached, Reason::CopyOnWrite},
        {"shared", map(Xfs, {{0, 1 << 20, 1 << 20, StorageExtent::Shared}}), map(Xfs, OneMiB),
         Outcome::NotReached, Reason::Shared},
        {"copy-on-write even in the same place", map(Btrfs, OneMiB), map(Btrfs, OneMiB), Outcome::NotReached,
         Reason::CopyOnWrite},
        {"no copy-on-write", withInodeFlags(map(Btrfs, OneMiB), StorageMap::NoCopyOnWrite),
         map(Btrfs, OneMiB), Outcome::Verified, Reason::None},
        {"inline", map(Btrfs, {{0, 0, 4096, StorageExtent::Inline | StorageExtent::NotAligned}}),
         map(Btrfs, {{0, 0, 4096, StorageExtent::Inline}}), Outcome::NotReached, Reason::Inline},
        {"data journal", withOption(map(Ext, OneMiB), "data=journal"), map(Ext, OneMiB), Outcome::NotReached,
         Reason::Journalled},
        {"journalled file", withInodeFlags(map(Ext, OneMiB), StorageMap::JournalData), map(Ext, OneMiB),
         Outcome::NotReached, Reason::Journalled},
        {"FAT without a map", map(Fat, {}, false), map(Fat, {}, false), Outcome::Verified, Reason::None},
        {"FUSE", map(Fuse, {}, false), map(Fuse, {}, false), Outcome::NotCheckable, Reason::None},
        {"unknown type", map(0x1234, OneMiB), map(0x1234, OneMiB), Outcome::NotCheckable, Reason::None},
        {"ext4 without a map", map(Ext, {}, false), map(Ext, {}, false), Outcome::NotCheckable, Reason::None},
        {"place still unknown", map(Ext, OneMiB), unknownSpot, Outcome::NotCheckable, Reason::None},
        {"not looked at", StorageMap(), map(Ext, OneMiB), Outcome::NotCheckable, Reason::None},
    };
    for (const Case& c : cases) {
        const OverwriteCheck::Result result = OverwriteCheck::judge(c.before, c.after);
        EXPECT_EQ(result.outcome, c.outcome) << c.what;
        EXPECT_EQ(result.reason, c.reason) << c.what;
        EXPECT_FALSE(result.otherNames) << c.what;
    }
}

// Before a run the page cache may still hold writes without a place; that is no reason to warn.
TEST(OverwriteCheck, ExpectationIgnoresPendingWritesButNotTheFileSystem)
{
    StorageMap pending = map(Ext, {{0, 0, 1 << 20, StorageExtent::Unknown | StorageExtent::Delalloc}});
    EXPECT_EQ(OverwriteCheck::expect(pending).outcome, Outcome::Verified);
    pending.otherNames = 1;
    EXPECT_TRUE(OverwriteCheck::expect(pending).otherNames);
    EXPECT_EQ(OverwriteCheck::expect(map(Btrfs, OneMiB)).outcome, Outcome::NotReached);
    EXPECT_EQ(OverwriteCheck::expect(map(Btrfs, OneMiB)).fileSystem, QStringLiteral("Btrfs"));
}
