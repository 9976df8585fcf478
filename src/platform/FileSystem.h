// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/StorageMap.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

// Why an exclusive open did or did not succeed.
enum class OpenStatus {
    Opened,         // the file is ours alone; its name stays until removeName
    InUse,          // another process holds the file open
    AccessDenied,   // no permission to write it
    NotRegularFile, // a directory, device, FIFO, socket or symbolic link
    NotFound,       // nothing by that name
    Changed,        // the path no longer names the file it named when it was identified
    NoSpace,        // the sweeps would need more free space than the file system has
    PseudoFile,     // a file the kernel only shows (in /sys, /proc and the like), on no storage device
    Blocked,        // the rights allow the write, yet it was refused (a protection program, most likely)
    CloudOnly,      // a cloud file whose data is not on this disk: overwriting would fetch it first
    StreamFailed,   // one of the file's further data streams could not be opened for writing
    Immutable,      // marked unchangeable (chattr +i on Linux): no one may write or remove it until unmarked
    AppendOnly,     // marked append-only (chattr +a): it may only grow, and its name may not be removed
    Failed,         // any other reason
};

// A handle of the platform's own (a descriptor on Linux), opaque to everything above the platform.
using NativeHandle = std::intptr_t;

// Which file a path named when it became the target: the file's device and inode, and the folder it was
// found in (held open, so that a folder renamed or swapped for a link meanwhile is noticed). known is false
// when the path named nothing that could be identified.
struct FileIdentity
{
    bool known = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t folderDevice = 0;
    std::uint64_t folderInode = 0;
    // Where the platform's file IDs are longer or not unique on their own: the ID's upper 64 bits (ReFS),
    // and where IDs pass to later files (FAT and exFAT positions; Linux inodes seen through Wine), a stamp of
    // the file's times.
    std::uint64_t inodeHigh = 0;
    std::int64_t stamp = 0;
    // The path it was identified by, for a platform that holds no handle of the file (Windows).
    std::filesystem::path path;
    // A handle of the folder, closed when the last copy of the identity goes.
    std::shared_ptr<const NativeHandle> folder;
    // A handle of the file itself (O_PATH on Linux: it reads and writes nothing), closed likewise.
    // Held, it keeps the file alive, so that its inode number cannot pass to a file made after it.
    std::shared_ptr<const NativeHandle> file;

    bool holdsFile() const { return known && file != nullptr; }
};

// What would stop a run on a file, seen before anything is opened for writing: status Opened when nothing
// is seen, else NotRegularFile (a FIFO, socket or device), PseudoFile, Immutable, AppendOnly or NoSpace
// (with the sizes).
struct RunOutlook
{
    OpenStatus status = OpenStatus::Opened;
    std::int64_t spaceNeeded =
        0;                      // NoSpace: bytes the sweeps would have to allocate, with room for bookkeeping
    std::int64_t spaceFree = 0; // NoSpace: bytes free for us on the file system
    int streams = 0;            // further data streams of the file (NTFS), overwritten with it
    bool cloud = false;         // a cloud provider keeps copies and versions of the file

    // Filling holes bytes of a sparse file in blocks of block bytes, with free bytes free for us: the file
    // system also needs one block of its own for every perRecord new ones, and 16 more for the upper levels
    // of its records.
    static RunOutlook forHoles(std::int64_t holes, std::int64_t block, std::int64_t perRecord,
                               std::int64_t free)
    {
        const std::int64_t blocks = (holes + block - 1) / block;
        RunOutlook outlook;
        outlook.spaceNeeded = (blocks + blocks / perRecord + 16) * block;
        outlook.spaceFree = free;
        if (outlook.spaceNeeded > outlook.spaceFree)
            outlook.status = OpenStatus::NoSpace;
        return outlook;
    }
};

// What runs that ended before removing their file's name (killed, or cut off by a crash or a power cut) had
// left in a folder, and what became of it.
struct LeftoverReport
{
    int removed = 0; // files overwritten in full, whose name is now removed
    std::vector<std::filesystem::path>
        putBack; // files not known to be overwritten, visible again by these names
    std::vector<std::filesystem::path> stuck; // what could not be finished, where it lies

    bool any() const { return removed > 0 || !putBack.empty() || !stuck.empty(); }
};

// The file operations the program needs from the platform. One instance serves the whole program;
// tests substitute a recording double.
class FileSystem
{
public:
    using Handle = NativeHandle;
    static constexpr Handle InvalidHandle = -1;
    using Path = std::filesystem::path;
    using Time = std::chrono::system_clock::time_point;

    struct OpenResult
    {
        OpenStatus status = OpenStatus::Failed;
        Handle handle = InvalidHandle; // valid only when status is Opened
        std::int64_t length = 0;       // length of the opened file, read from the open handle
        std::error_code error;         // the system's reason behind a failed open
        std::int64_t spaceNeeded = 0;  // NoSpace: bytes the sweeps would have to allocate
        std::int64_t spaceFree = 0;    // NoSpace: bytes free for us on the file system
        std::string holder; // InUse: the program seen holding the file (UTF-8), where it could be told
        // Opened: the file's further data streams (NTFS), each opened for writing, with its length.
        struct Stream
        {
            Handle handle = InvalidHandle;
            std::int64_t length = 0;
        };
        std::vector<Stream> streams;
        bool holderIsTilgomatic = false; // InUse: the holder is this program, in another window
    };

    virtual ~FileSystem() = default;

    // Length in bytes of the regular file at path. Throws FileError when it cannot be queried
    // (missing, empty path, no access, a directory).
    virtual std::int64_t fileLength(const Path& path) = 0;

    // The attribute word of path (see FileAttributes). Throws FileError when it cannot be queried.
    virtual int attributes(const Path& path) = 0;

    // Replaces the attribute word; on Linux only the read-only bit has an effect (the owner's write
    // permission). Throws FileError on failure.
    virtual void setAttributes(const Path& path, int attributeWord) = 0;

    // The attribute word of the file identity holds, its mode read through the held file (the name gives
    // only "hidden"); for an identity that holds no file, attributes(path). Throws FileError.
    virtual int heldAttributes(const Path& path, const FileIdentity& identity)
    {
        static_cast<void>(identity);
        return attributes(path);
    }
    // Changes the attributes of the file identity holds, through the held file, never through the name;
    // for an identity that holds no file, setAttributes(path). Throws FileError.
    virtual void setHeldAttributes(const Path& path, const FileIdentity& identity, int attributeWord)
    {
        static_cast<void>(identity);
        setAttributes(path, attributeWord);
    }

    // What would stop a run on the file identity holds (see RunOutlook); cheap, writes nothing.
    virtual RunOutlook outlook(const FileIdentity& identity)
    {
        static_cast<void>(identity);
        return {};
    }

    // Opens an existing regular file for writing, exclusively: fails while any other descriptor of the
    // file exists and keeps others out while open. Never follows a symbolic link, never creates, never
    // blocks. With a known expected identity it opens the file only when path still names that very file
    // in that very folder (Changed otherwise). Refuses (NoSpace) a file whose sweeps could not be written
    // for want of free space, (PseudoFile) one that lies on no storage device, and (AccessDenied) one whose
    // name could not be removed afterwards. Only removeName takes the name: a run that fails gets the file
    // back under it at the close, and one that is killed leaves it there or (where the platform keeps it
    // under a neutral name during the sweeps) for finishLeftovers to find.
    virtual OpenResult openExclusive(const Path& path, const FileIdentity& expected) = 0;
    OpenResult openExclusive(const Path& path) { return openExclusive(path, FileIdentity()); }

    // Which file path names now (see FileIdentity); known is false when it names nothing.
    virtual FileIdentity identify(const Path& path)
    {
        static_cast<void>(path);
        return {};
    }
    // True when path still names the file identity was taken of, in the same folder; true for an unknown
    // identity. Looks only; nothing is opened for writing.
    virtual bool isSameFile(const Path& path, const FileIdentity& identity)
    {
        static_cast<void>(path);
        static_cast<void>(identity);
        return true;
    }
    // When the file at path (following a link) was last modified; none when it cannot be read.
    virtual std::optional<Time> modifiedTime(const Path& path)
    {
        static_cast<void>(path);
        return std::nullopt;
    }
    // The names in folder (without "." and ".."), each with its exact bytes; empty when it cannot be read.
    virtual std::vector<Path> namesIn(const Path& folder)
    {
        static_cast<void>(folder);
        return {};
    }

    // Finishes what runs that ended before removing their file's name left in folder, and says what it
    // found; never touches a file that no run of this user left, nor one whose run still goes on.
    virtual LeftoverReport finishLeftovers(const Path& folder)
    {
        static_cast<void>(folder);
        return {};
    }

    // Writes size bytes at the current position, completing partial writes. False on any failure.
    virtual bool write(Handle handle, const void* data, std::int64_t size) = 0;
    // Moves the position back to offset 0. False on failure.
    virtual bool seekToStart(Handle handle) = 0;
    // Forces the written data to the storage device. False on failure.
    virtual bool sync(Handle handle) = 0;
    // Removes the name of the open file, if it still names that file, and lets other openers in again.
    // Never removes a name that does not name the open file, not even one put in its place meanwhile.
    // False when the name could not be removed.
    virtual bool removeName(Handle handle) = 0;
    // Releases the handle; the name, if not removed, stays. False on failure, and where the platform can
    // tell, when a name removeName took still leads to a file afterwards.
    virtual bool close(Handle handle) = 0;

    // Where the open file's data lies, after its pending writes have gone to the device. Writes nothing
    // of the file's own.
    virtual StorageMap storageMap(Handle handle) = 0;
    // Where the data of the regular file at path lies, as far as the file system knows without flushing
    // anything: looked at through a read-only descriptor that never follows a link and never blocks.
    // known is false when path cannot be looked at.
    virtual StorageMap storageMapOf(const Path& path) = 0;

    // The long form of path: on Linux the path itself when it names something that exists,
    // otherwise the empty path.
    virtual Path longPathName(const Path& path) = 0;

    // True when a run on path could not tell whether programs of other users hold it open (on Linux: no
    // lease to be had on it). A cheap look at the name; nothing is opened.
    virtual bool openersMayBeUnseen(const Path& path)
    {
        static_cast<void>(path);
        return false;
    }
};
