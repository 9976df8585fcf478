// SPDX-License-Identifier: GPL-3.0-or-later
// The verdict on a run from the storage maps taken before the first and after the last sweep.

#include "engine/OverwriteCheck.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using OverwriteCheck::Layer;
using OverwriteCheck::Outcome;
using OverwriteCheck::Reason;

namespace {

constexpr auto Ext = FileSystemKind::Ext, Xfs = FileSystemKind::Xfs, Btrfs = FileSystemKind::Btrfs,
               Fat = FileSystemKind::Fat, Other = FileSystemKind::Other;
constexpr std::uint64_t MiB = 1 << 20;
const std::vector<StorageExtent> OneMiB{{0, MiB, MiB, StorageExtent::Last}};

// A 1 MiB file; extentsKnown is false for a file system without an extent map.
StorageMap map(FileSystemKind kind, std::vector<StorageExtent> extents = OneMiB, std::uint32_t inodeFlags = 0,
               bool extentsKnown = true)
{
    StorageMap map;
    map.known = true;
    map.kind = kind;
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
    journalled.mountOptions.push_back("data=journal");
    // ext4 ignores a file's journal flag while it allocates late.
    StorageMap delalloc = map(Ext, OneMiB, StorageMap::JournalData);
    delalloc.mountOptions.push_back("delalloc");
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
        {"journal flag under delayed allocation", delalloc, delalloc, Outcome::Verified, Reason::None},
        {"FAT without a map", map(Fat, {}, 0, false), map(Fat, {}, 0, false), Outcome::Verified, Reason::None},
        {"FUSE", map(Other, {}, 0, false), map(Other, {}, 0, false), Outcome::NotCheckable, Reason::None},
        {"unknown type", map(Other), map(Other), Outcome::NotCheckable, Reason::None},
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
    EXPECT_EQ(OverwriteCheck::expect(map(Btrfs)).fileSystem, "Btrfs");
}

// The file lies at device offset 1 MiB of a loop device whose image file sits on another file system,
// possibly behind a device-mapper device; an overlay may hold an original below.
// clang-format off
TEST(OverwriteCheck, LayersAboveAndBeneathDecideTheVerdict)
{
    const auto image = [](FileSystemKind kind, std::vector<StorageExtent> extents, std::uint32_t flags = 0) {
        StorageLayer layer{StorageLayer::Kind::ImageFile, "loop0", {}, -1, 0, map(kind, std::move(extents), flags)};
        layer.image.size = 64 * MiB;
        return layer;
    };
    const std::vector<StorageExtent> whole{{0, 0, 64 * MiB, StorageExtent::Last}};
    // Shared blocks elsewhere in the image do not touch the file; where the file lay they do.
    const std::vector<StorageExtent> sharedElsewhere{{0, 0, 8 * MiB, 0}, {8 * MiB, 8 * MiB, MiB, StorageExtent::Shared}};
    const std::vector<StorageExtent> sharedThere{{0, 0, MiB, 0}, {MiB, MiB, MiB, StorageExtent::Shared}};
    const StorageLayer unreadable{StorageLayer::Kind::ImageFile, "loop0", {}, -1, 0, FileStorage()};
    const StorageLayer thin{StorageLayer::Kind::DeviceMapper, "dm-1", "thin", -1, 0, {}},
        crypt{StorageLayer::Kind::DeviceMapper, "dm-0", "crypt", -1, 0, {}};
    StorageLayer cryptOverImage = image(Btrfs, whole);
    cryptOverImage.above = 0;
    struct Case
    {
        const char* what;
        std::vector<StorageLayer> layers;
        StorageMap::Overlay overlay;
        Outcome outcome;
        Reason reason;
        Layer layer;
    };
    constexpr auto None = StorageMap::Overlay::None;
    const Case cases[] = {
        {"image on ext4", {image(Ext, whole)}, None, Outcome::Verified, Reason::None, Layer::FileSystem},
        {"image on Btrfs", {image(Btrfs, whole)}, None, Outcome::NotReached, Reason::CopyOnWrite, Layer::ImageFile},
        {"image on Btrfs, no copy-on-write", {image(Btrfs, whole, StorageMap::NoCopyOnWrite)}, None, Outcome::Verified, Reason::None, Layer::FileSystem},
        {"image shared elsewhere", {image(Xfs, sharedElsewhere)}, None, Outcome::Verified, Reason::None, Layer::FileSystem},
        {"image shared where the file lay", {image(Xfs, sharedThere)}, None, Outcome::NotReached, Reason::Shared, Layer::ImageFile},
        {"image unreadable", {unreadable}, None, Outcome::NotCheckable, Reason::Unreadable, Layer::ImageFile},
        {"thin volume", {thin}, None, Outcome::NotCheckable, Reason::MayKeepCopies, Layer::Device},
        {"crypt over an image on Btrfs", {crypt, cryptOverImage}, None, Outcome::NotReached, Reason::CopyOnWrite, Layer::ImageFile},
        {"overlay, upper layer only", {}, StorageMap::Overlay::UpperOnly, Outcome::Verified, Reason::None, Layer::FileSystem},
        {"overlay, original below", {}, StorageMap::Overlay::LowerToo, Outcome::NotReached, Reason::LowerLayer, Layer::Overlay},
        {"overlay, layers unknown", {}, StorageMap::Overlay::Unknown, Outcome::NotCheckable, Reason::None, Layer::Overlay},
    };
    for (const Case& c : cases) {
        StorageMap file = map(Ext, {{0, MiB, MiB, StorageExtent::Last}});
        file.layers = c.layers;
        file.overlay = c.overlay;
        const OverwriteCheck::Result result = OverwriteCheck::judge(file, file);
        EXPECT_TRUE(result.outcome == c.outcome && result.reason == c.reason && result.layer == c.layer) << c.what;
        EXPECT_EQ(OverwriteCheck::expect(file).outcome, c.outcome) << c.what;
    }
    // An image whose blocks moved under the file, and layers that changed during the run.
    StorageMap before = map(Ext, {{0, MiB, MiB, StorageExtent::Last}}), after = before;
    before.layers = {image(Xfs, whole)};
    after.layers = {image(Xfs, {{0, 0, MiB, 0}, {MiB, 40 * MiB, MiB, 0}, {2 * MiB, 2 * MiB, 62 * MiB, 0}})};
    EXPECT_EQ(OverwriteCheck::judge(before, after).reason, Reason::CopyOnWrite);
    after.layers.clear();
    EXPECT_EQ(OverwriteCheck::judge(before, after).outcome, Outcome::NotCheckable);
}
// clang-format on
