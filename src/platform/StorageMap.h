// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// One stretch of a file's bytes and where the file system says they lie on its device.
struct StorageExtent
{
    // The extent flags as the kernel's extent map reports them (the same values).
    enum Flag : std::uint32_t {
        Last = 0x1,
        Unknown = 0x2,    // the location is not known yet
        Delalloc = 0x4,   // not yet placed on the device
        Encoded = 0x8,    // compressed or otherwise transformed
        Encrypted = 0x80, // encrypted by the file system
        NotAligned = 0x100,
        Inline = 0x200,    // stored inside the file system's own records
        Tail = 0x400,      // packed together with other files' tails
        Unwritten = 0x800, // allocated, holds no data yet
        Merged = 0x1000,
        Shared = 0x2000, // the same blocks belong to another file or a snapshot too
    };

    std::uint64_t logical = 0;  // offset in the file
    std::uint64_t physical = 0; // offset on the device
    std::uint64_t length = 0;
    std::uint32_t flags = 0;
};

// The kinds of file system whose ways of writing the checks know; the platform's probe names them.
enum class FileSystemKind {
    Other, // anything else: tmpfs, network, FUSE, read-only formats
    Ext,   // ext2, ext3, ext4
    Xfs,
    F2fs,
    Fat,
    ExFat,
    Btrfs,
    Zfs,
    Bcachefs,
    Nilfs,
    Ntfs,
    Refs,
};

// Where one file's data lies and how its file system treats it, read without writing anything.
struct FileStorage
{
    // Inode flags of interest (the values of the kernel's file attribute flags).
    enum InodeFlag : std::uint32_t {
        JournalData = 0x00004000,   // ext3/ext4: this file's data goes through the journal
        NoCopyOnWrite = 0x00800000, // Btrfs: this file is written in place
    };

    bool known = false; // the file and its file system could be looked at at all
    FileSystemKind kind = FileSystemKind::Other;
    std::string typeName; // the mount's type as the mount table names it ("ext4", "fuseblk")
    std::vector<std::string>
        mountOptions;          // the options in force; ext4's include the defaults of its super block
    bool readOnly = false;     // the file system or this mount of it takes no writes
    bool extentsKnown = false; // the file system gave an extent map
    std::vector<StorageExtent> extents;
    std::int64_t size = 0; // the file's length
    std::uint32_t inodeFlags = 0;
};

// A device beneath the file system, found by following its block device down.
struct StorageLayer
{
    enum class Kind {
        ImageFile,    // a loop device: the data lies in a file of another file system
        LoopDevice,   // a loop device over another block device: the same blocks, offset by offset
        DeviceMapper, // LVM, dm-crypt, snapshots, thin pools
        Raid,         // Linux software RAID (md)
        Other,        // some other stacked device
    };

    Kind kind = Kind::Other;
    std::string device; // the kernel's name of the device: "loop0", "dm-1", "md0"
    std::string target; // DeviceMapper: the table's target types ("linear", "thin"); Raid: the level
    int above = -1;     // index of the layer this device lies beneath; -1 for the file's own file system
    // ImageFile, LoopDevice: where the device above begins in the image or the device beneath (loop offset
    // and partition start)
    std::uint64_t offset = 0;
    FileStorage image; // ImageFile: the image file; not known when it cannot be opened
};

// Where an open file's data lives: its own storage, how many other names it has, the overlay it may be
// seen through and the devices beneath its file system.
struct StorageMap : FileStorage
{
    // Seen through an overlay file system, the file lies in the upper layer's file system, which the
    // fields above describe; a lower layer may hold an original that no write reaches.
    enum class Overlay {
        None,
        UpperOnly, // the file exists in no lower layer
        LowerToo,  // the file also exists in a lower layer
        Unknown,   // the layers could not be told
    };

    std::uint64_t otherNames = 0; // hard links besides the name being destroyed
    Overlay overlay = Overlay::None;
    // Beneath the file system, as far down as they go; each names the one it lies beneath.
    std::vector<StorageLayer> layers;
    // The disks at the bottom of it all ("sda", "nvme0n1"), and whether any of them is flash memory (not
    // rotational), whose controller may keep old cells that no write reaches.
    std::vector<std::string> disks;
    bool flash = false;
};

// Stretches of a file or a device and where a file's data lies on its device, for the layers beneath.
namespace StorageRanges {

// Sorted, non-overlapping stretches [first, second).
using Ranges = std::vector<std::pair<std::uint64_t, std::uint64_t>>;

inline Ranges merged(Ranges ranges)
{
    std::sort(ranges.begin(), ranges.end());
    Ranges result;
    for (const auto& range : ranges) {
        if (!result.empty() && range.first <= result.back().second)
            result.back().second = std::max(result.back().second, range.second);
        else if (range.first < range.second)
            result.push_back(range);
    }
    return result;
}

// The parts of [start, end) that lie in ranges (all of it without ranges).
inline Ranges clipped(std::uint64_t start, std::uint64_t end, const Ranges* ranges)
{
    if (!ranges)
        return start < end ? Ranges{{start, end}} : Ranges{};
    Ranges parts;
    auto range = std::upper_bound(ranges->begin(), ranges->end(), start,
                                  [](std::uint64_t value, const auto& r) { return value < r.second; });
    for (; range != ranges->end() && range->first < end; ++range)
        parts.emplace_back(std::max(start, range->first), std::min(end, range->second));
    return parts;
}

// File systems whose extent map gives places as byte offsets on their one block device (Btrfs gives
// addresses of its own), so that a device beneath can be looked at just where the file lay.
inline bool mapsDeviceOffsets(FileSystemKind kind)
{
    return kind == FileSystemKind::Ext || kind == FileSystemKind::Xfs || kind == FileSystemKind::F2fs;
}

// places, each moved by offset bytes: where they lie in what a loop device lies on.
inline std::optional<Ranges> shifted(const std::optional<Ranges>& places, std::uint64_t offset)
{
    if (!places)
        return std::nullopt;
    Ranges moved;
    for (const auto& [start, end] : *places)
        moved.emplace_back(start + offset, end + offset);
    return moved;
}

// Where the data of map within ranges lies on its device; nullopt when that cannot be told, so that the
// device beneath is looked at as a whole.
inline std::optional<Ranges> devicePlaces(const FileStorage& map, const Ranges* ranges)
{
    if (!mapsDeviceOffsets(map.kind) || !map.extentsKnown)
        return std::nullopt;
    Ranges places;
    for (const StorageExtent& extent : map.extents) {
        if (extent.flags & (StorageExtent::Unknown | StorageExtent::Delalloc))
            return std::nullopt;
        for (const auto& [start, end] : clipped(extent.logical, extent.logical + extent.length, ranges))
            places.emplace_back(extent.physical + (start - extent.logical),
                                extent.physical + (end - extent.logical));
    }
    return merged(std::move(places));
}

} // namespace StorageRanges
