#pragma once

#include "platform/StorageMap.h"

#include <QString>
#include <QtGlobal>

// Why an exclusive open did or did not succeed.
enum class OpenStatus {
    Opened,         // the file is ours alone; its name is gone, or goes at the close (see openExclusive)
    InUse,          // another process holds the file open
    AccessDenied,   // no permission to write it
    NotRegularFile, // a directory, device, FIFO, socket or symbolic link
    NotFound,       // nothing by that name
    Failed,         // any other reason
};

// The file operations the program needs from the platform. One instance serves the whole program;
// tests substitute a recording double.
class FileSystem
{
public:
    using Handle = int;
    static constexpr Handle InvalidHandle = -1;

    struct OpenResult
    {
        OpenStatus status = OpenStatus::Failed;
        Handle handle = InvalidHandle; // valid only when status is Opened
        qint64 length = 0;             // length of the opened file, read from the open handle
        int errorNumber = 0;           // errno behind a failed open
        bool nameKept = false;         // the name stays until the close (see openExclusive)
    };

    virtual ~FileSystem() = default;

    // Length in bytes of the regular file at path. Throws FileError when it cannot be queried
    // (missing, empty path, no access, a directory).
    virtual qint64 fileLength(const QString& path) = 0;

    // The attribute word of path (see FileAttributes). Throws FileError when it cannot be queried.
    virtual int attributes(const QString& path) = 0;

    // Replaces the attribute word; on Linux only the read-only bit has an effect (the owner's write
    // permission). Throws FileError on failure.
    virtual void setAttributes(const QString& path, int attributeWord) = 0;

    // Opens an existing regular file for writing, exclusively: fails while any other descriptor of the
    // file exists and keeps others out while open. Never follows a symbolic link, never creates, never
    // blocks. On success the file's directory entry has been removed already, so closing the handle (or
    // the process ending) leaves nothing behind. Where removing the name of an open file makes the file
    // system copy the file's data elsewhere (FUSE), the name stays (nameKept) and the close removes it,
    // after the last write has been synced.
    virtual OpenResult openExclusive(const QString& path) = 0;

    // Writes size bytes at the current position, completing partial writes. False on any failure.
    virtual bool write(Handle handle, const void* data, qint64 size) = 0;
    // Moves the position back to offset 0. False on failure.
    virtual bool seekToStart(Handle handle) = 0;
    // Forces the written data to the storage device. False on failure.
    virtual bool sync(Handle handle) = 0;
    // Releases the handle (removing a kept name first). False on failure.
    virtual bool close(Handle handle) = 0;

    // Where the open file's data lies, after its pending writes have gone to the device. Writes nothing
    // of the file's own.
    virtual StorageMap storageMap(Handle handle) = 0;
    // Where the data of the regular file at path lies, as far as the file system knows without flushing
    // anything: looked at through a read-only descriptor that never follows a link and never blocks.
    // known is false when path cannot be looked at.
    virtual StorageMap storageMapOf(const QString& path) = 0;

    // The long form of path: on Linux the path itself when it names something that exists,
    // otherwise the empty string.
    virtual QString longPathName(const QString& path) = 0;

    // True when a run on path could not tell whether programs of other users hold it open (on Linux: no
    // lease to be had on it). A cheap look at the name; nothing is opened.
    virtual bool openersMayBeUnseen(const QString& path)
    {
        Q_UNUSED(path);
        return false;
    }
};
