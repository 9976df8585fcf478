// The verdict on a run from the storage maps taken before the first and after the last sweep.

#include "engine/OverwriteCheck.h"

#include <gtest/gtest.h>

using OverwriteCheck::Outcome;
using OverwriteCheck::Reason;

namespace {

constexpr quint64 Ext = 0xEF53, Xfs = 0x58465342, Btrfs = 0x9123683E, Fat = 0x4d44, Fuse = 0x65735546;
constexpr quint64 MiB = 1 << 20;
const std::vector<StorageExtent> OneMiB{{0, MiB, MiB, StorageExtent::Last}};

// A 1 MiB file; extentsKnown is false for a file system without an extent map.
StorageMap map(quint64 type, std::vector<StorageExtent> extents = OneMiB, quint32 inodeFlags = 0,
               bool extentsKnown = true)
{
    StorageMap map;
    map.known = true;
    map.fileSystemType = type;
    map.extentsKnown = extentsKnown;
    map.extents = std::move(extents);
    map.size = MiB;
    map.inodeFlags = inodeFlags;
    return map;
}

} // namespace

TEST(OverwriteCheck, RecordedMapsGiveTheirVerdict)
{
    StorageMap journalled = map(Ext);
    journalled.mountOptions << QStringLiteral("data=journal");
    const StorageExtent moved{0, 9 * MiB, MiB, 0};
    struct Case
    {
        const char* what;
        StorageMap before, after;
        Outcome outcome;
        Reason reason;
    };
    // clang-format off
    const Case cases[] = {
        {"in place", map(Ext), map(Ext), Outcome::Verified, Reason::None},
        {"same places, split", map(Xfs), map(Xfs, {{0, MiB, 4096, 0}, {4096, MiB + 4096, MiB - 4096, 0}}), Outcome::Verified, Reason::None},
        {"hole filled", map(Ext, {{0, MiB, 4096, 0}}), map(Ext), Outcome::Verified, Reason::None},
        {"moved", map(Ext), map(Ext, {moved}), Outcome::NotReached, Reason::CopyOnWrite},
        {"partly moved", map(Ext), map(Ext, {{0, MiB, 4096, 0}, {4096, 9 * MiB, MiB, 0}}), Outcome::NotReached, Reason::CopyOnWrite},
        {"shared", map(Xfs, {{0, MiB, MiB, StorageExtent::Shared}}), map(Xfs, {moved}), Outcome::NotReached, Reason::Shared},
        {"copy-on-write in the same place", map(Btrfs), map(Btrfs), Outcome::NotReached, Reason::CopyOnWrite},
        {"no copy-on-write", map(Btrfs, OneMiB, StorageMap::NoCopyOnWrite), map(Btrfs), Outcome::Verified, Reason::None},
        {"inline", map(Btrfs, {{0, 0, 4096, StorageExtent::Inline | StorageExtent::NotAligned}}), map(Btrfs), Outcome::NotReached, Reason::Inline},
        {"data journal", journalled, map(Ext), Outcome::NotReached, Reason::Journalled},
        {"journalled file", map(Ext, OneMiB, StorageMap::JournalData), map(Ext), Outcome::NotReached, Reason::Journalled},
        {"FAT without a map", map(Fat, {}, 0, false), map(Fat, {}, 0, false), Outcome::Verified, Reason::None},
        {"FUSE", map(Fuse, {}, 0, false), map(Fuse, {}, 0, false), Outcome::NotCheckable, Reason::None},
        {"unknown type", map(0x1234), map(0x1234), Outcome::NotCheckable, Reason::None},
        {"ext4 without a map", map(Ext, {}, 0, false), map(Ext, {}, 0, false), Outcome::NotCheckable, Reason::None},
        {"place still unknown", map(Ext), map(Ext, {{0, 0, MiB, StorageExtent::Unknown}}), Outcome::NotCheckable, Reason::None},
        {"not looked at", StorageMap(), map(Ext), Outcome::NotCheckable, Reason::None},
    };
    // clang-format on
    for (const Case& c : cases) {
        const OverwriteCheck::Result result = OverwriteCheck::judge(c.before, c.after);
        EXPECT_EQ(result.outcome, c.outcome) << c.what;
        EXPECT_EQ(result.reason, c.reason) << c.what;
    }
}

// Before a run the page cache may still hold writes without a place; that is no reason to warn.
TEST(OverwriteCheck, ExpectationIgnoresPendingWritesButNotTheFileSystem)
{
    StorageMap pending = map(Ext, {{0, 0, MiB, StorageExtent::Unknown | StorageExtent::Delalloc}});
    pending.otherNames = 1;
    EXPECT_EQ(OverwriteCheck::expect(pending).outcome, Outcome::Verified);
    EXPECT_TRUE(OverwriteCheck::expect(pending).otherNames);
    EXPECT_EQ(OverwriteCheck::expect(map(Btrfs)).outcome, Outcome::NotReached);
    EXPECT_EQ(OverwriteCheck::expect(map(Btrfs)).fileSystem, QStringLiteral("Btrfs"));
}
