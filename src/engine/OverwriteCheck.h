#pragma once

#include "platform/StorageMap.h"

#include <QString>

// Whether the sweeps of a run reached the blocks that held the file's contents, judged from where the
// file system said the data lay before the first sweep and after the last one.
namespace OverwriteCheck {

enum class Outcome {
    Verified,     // the old contents lay in blocks of the file's own that every sweep overwrote
    NotReached,   // the file system keeps copies of the old contents elsewhere
    NotCheckable, // the file system does not tell where the data lies
};

// Why the old contents were not reached.
enum class Reason {
    None,
    CopyOnWrite, // changes are written to new places (or the extents moved)
    Shared,      // the blocks also belong to another file or a snapshot
    Inline,      // the data lies inside the file system's own records
    Journalled,  // every write also goes through the data journal
};

struct Result
{
    Outcome outcome = Outcome::NotCheckable;
    Reason reason = Reason::None;
    QString fileSystem;      // the file system's name for the texts: "Btrfs", "ext4"
    bool otherNames = false; // the file has further hard links, which keep the overwritten contents

    bool verified() const { return outcome == Outcome::Verified; }
};

// The outcome of a run from the map taken after the open and before the first write, and the one taken
// after the last sweep's sync.
Result judge(const StorageMap& before, const StorageMap& after);

// What a run on the file as it lies now is expected to give; writes still waiting in the page cache are
// not held against it. For the warning before a run.
Result expect(const StorageMap& now);

} // namespace OverwriteCheck
