// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/OverwriteCheck.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace modShredder {

// What a run of ShredFile achieved.
struct ShredResult
{
    OpenStatus open = OpenStatus::Failed; // Opened: the file was ours for the sweeps
    bool writesOk = true;                 // every write completed in full (and every rewind succeeded)
    bool syncsOk = true;                  // every sweep reached the storage device
    bool nameRemoved = false;             // the file's name is gone (only after every sweep was synced)
    OverwriteCheck::Result overwrite;     // whether the sweeps reached the blocks of the old contents
    std::int64_t spaceNeeded = 0;         // open NoSpace: bytes the sweeps would have allocated
    std::int64_t spaceFree = 0;           // open NoSpace: bytes that were free
    std::string holder;                   // open InUse: the program seen holding the file (UTF-8), or ""
    bool holderIsTilgomatic = false;      // open InUse: that program is this one, in another window
    // Where a run left the file under its name: the file as it now lies, when the run's thread looked
    // (ShredRun does), so that the window need not look again.
    std::optional<StorageMap> storageLeft;

    bool opened() const { return open == OpenStatus::Opened; }
    // Every sweep was written and synced, and the name is gone.
    bool fullyOverwritten() const { return opened() && writesOk && syncsOk && nameRemoved; }
    // Fully overwritten, and where the old contents lay: nothing of them is left on the device.
    bool destroyed() const { return fullyOverwritten() && overwrite.verified(); }
};

// Where a run stands. The engine stores into it as it goes; another thread (the window's) may read it at
// any moment.
struct ShredProgress
{
    std::atomic<int> sweeps{0};       // sweeps the run makes; set once the file is open
    std::atomic<int> sweepsSynced{0}; // sweeps written and synced to the device
};

// Overwrites the file at path sweep after sweep (passes fixed-pattern passes of three sweeps, then passes
// random sweeps) and removes its name once the last sweep is synced; a run that fails (or is killed) leaves
// the file under its name, to be run again. With a known identity only that very file is touched (open
// Changed otherwise, nothing written); without one, the file path names at the start is held for the run.
// Modes are read and changed through that file, never through the name. A file that lies on no storage
// device, or whose sweeps cannot fit, is refused before anything is touched. A write protection taken off
// for the run is given back when the file stays. yieldToEvents, when given, is called after every full block
// of each first sweep and before every random sweep. The window runs it on a thread of its own (ShredRun),
// passes none and follows progress instead. Throws FileError when the length or the attributes cannot be read
// or changed; nothing has been opened or written then. A failed open writes nothing and is reported in the
// result.
ShredResult ShredFile(const std::filesystem::path& path, std::int16_t passes, FileSystem& fileSystem,
                      const std::function<void()>& yieldToEvents, ShredProgress* progress = nullptr,
                      const FileIdentity& identity = FileIdentity());

// The uniform value r in [0, 1) at single precision made from 32 random bits: their top 24 bits over
// 2^24, exact in a float and never 1.
float unitInterval(std::uint32_t bits);

// The byte value of a random block for r in [0, 1): floor(r * 255) + 1, so 1 to 255 and never 0.
std::uint8_t randomByte(float r);

} // namespace modShredder
