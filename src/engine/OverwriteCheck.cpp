// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/OverwriteCheck.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace OverwriteCheck {

namespace {

// How a file system treats an overwrite of a file's bytes.
enum class WriteMode {
    InPlace,     // writes over the blocks the extent map names; the maps must agree
    InPlaceOnly, // writes in place and may have no extent map at all (FAT, exFAT): vouched for by type
    CopyOnWrite, // writes changes to new blocks
    Unknown,     // no map or no knowledge of its ways: nothing can be said
};

struct FileSystemWays
{
    WriteMode mode;
    std::string name;
};

FileSystemWays waysOf(const FileStorage& storage)
{
    switch (storage.kind) {
    case FileSystemKind::Ext:
        return {WriteMode::InPlace, storage.typeName.starts_with("ext") ? storage.typeName : "ext4"};
    case FileSystemKind::Xfs:
        return {WriteMode::InPlace, "XFS"};
    case FileSystemKind::F2fs:
        return {WriteMode::InPlace, "F2FS"};
    case FileSystemKind::Fat:
        return {WriteMode::InPlaceOnly, "FAT"};
    case FileSystemKind::ExFat:
        return {WriteMode::InPlaceOnly, "exFAT"};
    case FileSystemKind::Btrfs:
        // A file marked no-copy-on-write is written in place as long as no snapshot shares its blocks.
        return {(storage.inodeFlags & FileStorage::NoCopyOnWrite) ? WriteMode::InPlace
                                                                  : WriteMode::CopyOnWrite,
                "Btrfs"};
    case FileSystemKind::Zfs:
        return {WriteMode::CopyOnWrite, "ZFS"};
    case FileSystemKind::Bcachefs:
        return {WriteMode::CopyOnWrite, "bcachefs"};
    case FileSystemKind::Nilfs:
        return {WriteMode::CopyOnWrite, "NILFS"};
    case FileSystemKind::Ntfs:
        return {WriteMode::InPlace, "NTFS"};
    // ReFS writes its metadata, and the data of files with integrity streams, to new places, and clones
    // blocks between files: no map shows the old copies.
    case FileSystemKind::Refs:
        return {WriteMode::CopyOnWrite, "ReFS"};
    case FileSystemKind::Other:
        break;
    }
    return {WriteMode::Unknown, storage.typeName};
}

using StorageRanges::clipped;
using StorageRanges::devicePlaces;
using StorageRanges::Ranges;
using StorageRanges::shifted;

// The extent of map that holds position, or nullptr; extents are in file order.
const StorageExtent* extentAt(const FileStorage& map, std::uint64_t position)
{
    auto next =
        std::upper_bound(map.extents.begin(), map.extents.end(), position,
                         [](std::uint64_t value, const StorageExtent& e) { return value < e.logical; });
    if (next == map.extents.begin())
        return nullptr;
    --next;
    return position < next->logical + next->length ? &*next : nullptr;
}

// The start of the first extent of map after position, or end when none begins before it.
std::uint64_t nextExtentFrom(const FileStorage& map, std::uint64_t position, std::uint64_t end)
{
    auto next =
        std::upper_bound(map.extents.begin(), map.extents.end(), position,
                         [](std::uint64_t value, const StorageExtent& e) { return value < e.logical; });
    return next == map.extents.end() ? end : std::min(end, next->logical);
}

std::uint32_t flagsIn(const FileStorage& map, const Ranges* ranges)
{
    std::uint32_t flags = 0;
    for (const StorageExtent& extent : map.extents)
        if (!clipped(extent.logical, extent.logical + extent.length, ranges).empty())
            flags |= extent.flags;
    return flags;
}

// The data journal of ext3/ext4, for the whole mount or for this one file. ext4 follows a file's journal
// flag only while delayed allocation is off.
bool journalsData(const FileStorage& map)
{
    const auto hasOption = [&map](std::string_view option) {
        return std::find(map.mountOptions.begin(), map.mountOptions.end(), option) != map.mountOptions.end();
    };
    return map.kind == FileSystemKind::Ext &&
           (hasOption("data=journal") ||
            ((map.inodeFlags & FileStorage::JournalData) && !hasOption("delalloc")));
}

// True when every byte of the file (within ranges) that had a place on the device before still has the
// same place after. Holes and unwritten extents held no data, so where their new blocks went does not
// matter. With holesAreGone a place that became a hole counts as kept: in an image file that is a discard
// of the file system above (a loop device punches the hole), which drops the data rather than moving it.
bool sameLocations(const FileStorage& before, const FileStorage& after, const Ranges* ranges,
                   bool holesAreGone)
{
    const std::uint64_t size = std::uint64_t(std::max<std::int64_t>(before.size, 0));
    for (const StorageExtent& old : before.extents) {
        if (old.flags & StorageExtent::Unwritten)
            continue;
        for (const auto& [start, end] :
             clipped(old.logical, std::min(old.logical + old.length, size), ranges)) {
            std::uint64_t position = start;
            while (position < end) {
                const StorageExtent* now = extentAt(after, position);
                if (!now && holesAreGone) {
                    position = nextExtentFrom(after, position, end);
                    continue;
                }
                if (!now || now->physical - now->logical != old.physical - old.logical)
                    return false;
                position = now->logical + now->length;
            }
        }
    }
    return true;
}

Result outcome(Outcome outcome, Reason reason, const std::string& fileSystem = std::string())
{
    Result result;
    result.outcome = outcome;
    result.reason = reason;
    result.fileSystem = fileSystem;
    return result;
}

// One file (the destroyed one or, with image, an image file beneath it) on its own file system, within
// ranges.
Result judgeFile(const FileStorage& before, const FileStorage& after, bool pendingWritesAllowed,
                 const Ranges* ranges, bool image = false)
{
    if (!before.known || !after.known)
        return {};
    const FileSystemWays ways = waysOf(before);
    const auto notReached = [&ways](Reason reason) {
        return outcome(Outcome::NotReached, reason, ways.name);
    };
    if (ways.mode == WriteMode::Unknown)
        return outcome(Outcome::NotCheckable, Reason::None, ways.name);
    const std::uint32_t flags = flagsIn(before, ranges) | flagsIn(after, ranges);
    if (flags & StorageExtent::Shared)
        return notReached(Reason::Shared);
    if (flags & (StorageExtent::Inline | StorageExtent::Tail | StorageExtent::NotAligned))
        return notReached(Reason::Inline);
    if (ways.mode == WriteMode::CopyOnWrite || (flags & StorageExtent::Encoded))
        return notReached(Reason::CopyOnWrite);
    // EFS overwrites in place, but encrypting a file that held plain data leaves a plain backup of it
    // behind in free clusters. Other file systems' encrypted extents hold no such copy.
    if (before.kind == FileSystemKind::Ntfs && (flags & StorageExtent::Encrypted))
        return notReached(Reason::Encrypted);
    if (journalsData(before))
        return notReached(Reason::Journalled);

    const bool mapped = before.extentsKnown && after.extentsKnown;
    const Result unknown = outcome(Outcome::NotCheckable, Reason::None, ways.name);
    if (ways.mode == WriteMode::InPlace && !mapped)
        return unknown;
    if (mapped) {
        if (!pendingWritesAllowed && (flags & (StorageExtent::Unknown | StorageExtent::Delalloc)))
            return unknown;
        if (!sameLocations(before, after, ranges, image))
            return notReached(Reason::CopyOnWrite);
    }
    return outcome(Outcome::Verified, Reason::None, ways.name);
}

// Device-mapper targets that write every block in place and keep no second copy of it.
bool writesInPlace(const std::string& targets)
{
    static constexpr std::string_view inPlace[] = {"linear", "striped", "crypt",
                                                   "raid",   "mirror",  "multipath"};
    std::vector<std::string_view> types;
    for (std::size_t start = 0; start <= targets.size();) {
        const std::size_t comma = std::min(targets.find(',', start), targets.size());
        if (comma > start)
            types.push_back(std::string_view(targets).substr(start, comma - start));
        start = comma + 1;
    }
    return !types.empty() && std::all_of(types.begin(), types.end(), [](std::string_view type) {
        return std::find(std::begin(inPlace), std::end(inPlace), type) != std::end(inPlace);
    });
}

// The devices beneath the file system, each where the one above it lay: an image file only in the
// stretches that held the file (where the file system above tells them), any other device as a whole.
Result judgeLayers(const StorageMap& before, const StorageMap& after, bool pendingWritesAllowed)
{
    const auto layerResult = [](Result result, Layer layer) {
        result.layer = layer;
        return result;
    };
    if (before.layers.size() != after.layers.size())
        return layerResult(outcome(Outcome::NotCheckable, Reason::MayKeepCopies), Layer::Device);
    // Per layer, where the data lies in the device it makes (for an image file: offsets in its device).
    std::vector<std::optional<Ranges>> places(before.layers.size());
    const std::optional<Ranges> filePlaces = devicePlaces(before, nullptr);
    // Where the data lies in what a loop device lies on: where it lay in the device above, offset.
    const auto placesBeneath = [&](const StorageLayer& layer) {
        return shifted(layer.above < 0 ? filePlaces : places[size_t(layer.above)], layer.offset);
    };
    Result firstUncheckable;
    firstUncheckable.outcome = Outcome::Verified;
    for (size_t i = 0; i < before.layers.size(); ++i) {
        const StorageLayer& layer = before.layers[i];
        const StorageLayer& later = after.layers[i];
        Result result = outcome(Outcome::Verified, Reason::None);
        if (layer.kind != later.kind || layer.device != later.device || layer.above != later.above) {
            result = layerResult(outcome(Outcome::NotCheckable, Reason::MayKeepCopies), Layer::Device);
        } else if (layer.kind == StorageLayer::Kind::ImageFile) {
            const std::optional<Ranges> inImage = placesBeneath(layer);
            const Ranges* ranges = inImage ? &*inImage : nullptr;
            if (!layer.image.known || !later.image.known)
                result = outcome(Outcome::NotCheckable, Reason::Unreadable);
            else
                result = judgeFile(layer.image, later.image, pendingWritesAllowed, ranges, true);
            result.layer = Layer::ImageFile;
            if (layer.image.known)
                places[i] = devicePlaces(layer.image, ranges);
        } else if (layer.kind == StorageLayer::Kind::LoopDevice) {
            // The same blocks, offset: the device beneath is judged where the data lay.
            places[i] = placesBeneath(layer);
        } else if (layer.kind == StorageLayer::Kind::DeviceMapper) {
            if (!writesInPlace(layer.target))
                result = outcome(Outcome::NotCheckable, Reason::MayKeepCopies);
            result.layer = Layer::Device;
            result.device =
                layer.target.empty() ? std::string("Device-Mapper") : "Device-Mapper (" + layer.target + ")";
        } else if (layer.kind == StorageLayer::Kind::Other) {
            result = layerResult(outcome(Outcome::NotCheckable, Reason::MayKeepCopies), Layer::Device);
            result.device = layer.device;
        }
        // A RAID writes every copy and the parity where the block was.
        if (result.outcome == Outcome::NotReached)
            return result;
        if (result.outcome == Outcome::NotCheckable && firstUncheckable.verified())
            firstUncheckable = result;
    }
    return firstUncheckable;
}

Result judgeMaps(const StorageMap& before, const StorageMap& after, bool pendingWritesAllowed)
{
    Result result;
    const bool otherNames = before.otherNames > 0 || after.otherNames > 0;
    if (before.known && after.known) {
        if (before.overlay == StorageMap::Overlay::LowerToo ||
            after.overlay == StorageMap::Overlay::LowerToo) {
            result = outcome(Outcome::NotReached, Reason::LowerLayer);
            result.layer = Layer::Overlay;
        } else if (before.overlay == StorageMap::Overlay::Unknown ||
                   after.overlay == StorageMap::Overlay::Unknown) {
            result.layer = Layer::Overlay;
        } else {
            result = judgeFile(before, after, pendingWritesAllowed, nullptr);
            // A copy kept beneath is certain news; one that cannot be checked only where the file system
            // itself could be.
            if (result.outcome != Outcome::NotReached) {
                const Result beneath = judgeLayers(before, after, pendingWritesAllowed);
                if (beneath.outcome == Outcome::NotReached ||
                    (beneath.outcome == Outcome::NotCheckable && result.verified()))
                    result = beneath;
            }
        }
    }
    result.otherNames = otherNames;
    result.flash = before.flash || after.flash;
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
