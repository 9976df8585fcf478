// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/StorageMap.h"

#include <string>

// Whether the sweeps of a run reached the blocks that held the file's contents, judged from where the
// file system said the data lay before the first sweep and after the last one, and from the devices
// beneath it and the overlay above it.
namespace OverwriteCheck {

enum class Outcome {
    Verified,     // the old contents lay in blocks of the file's own that every sweep overwrote
    NotReached,   // the file system (or a layer above or beneath it) keeps copies of the old contents
    NotCheckable, // the file system or a layer does not tell where the data lies
};

// Why the old contents were not reached, or could not be checked.
enum class Reason {
    None,
    CopyOnWrite,   // changes are written to new places (or the extents moved)
    Shared,        // the blocks also belong to another file or a snapshot
    Inline,        // the data lies inside the file system's own records
    Journalled,    // every write also goes through the data journal
    LowerLayer,    // overlay: the original lies in a lower layer, which no write reaches
    Unreadable,    // the image file beneath could not be looked at
    MayKeepCopies, // a device beneath may keep old blocks (snapshots, thin pools, caches), or is not known
    Encrypted,     // NTFS encryption (EFS) may have left a plain copy behind when it encrypted the file
};

// Where the outcome was decided.
enum class Layer {
    FileSystem, // the file's own file system
    Overlay,    // the overlay the file is seen through
    ImageFile,  // the file of a loop device beneath
    Device,     // a device-mapper, RAID or other stacked device beneath
};

struct Result
{
    Outcome outcome = Outcome::NotCheckable;
    Reason reason = Reason::None;
    std::string fileSystem; // the deciding file system's name for the texts: "Btrfs", "ext4"
    Layer layer = Layer::FileSystem;
    std::string device;      // Layer::Device: what it is ("Device-Mapper (thin)", "RAID (raid1)")
    bool otherNames = false; // the file has further hard links, which keep the overwritten contents
    bool flash = false;      // the file lies on flash memory, whose controller may keep old cells

    bool verified() const { return outcome == Outcome::Verified; }
};

// The outcome of a run from the map taken after the open and before the first write, and the one taken
// after the last sweep's sync.
Result judge(const StorageMap& before, const StorageMap& after);

// What a run on the file as it lies now is expected to give; writes still waiting in the page cache are
// not held against it. For the warning before a run.
Result expect(const StorageMap& now);

} // namespace OverwriteCheck
