// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileSystem.h"

#include <mutex>
#include <set>

// The file operations on Windows, through the W functions; a path too long for the plain form goes in its
// \\?\ form (LongPath), so that no length is refused.
//
// Attribute word: the file's own read-only, hidden, system, directory and archive attributes (the values
// are Windows' own); its other attributes are neither reported nor changed. Attributes are those of the
// name itself (a link or junction is never followed), while fileLength and modifiedTime follow links.
//
// identify keeps a handle of the file with the identity that reads and writes nothing (access to its
// attributes only, every other opener admitted), so that it blocks no one, not even our own exclusive open,
// and yet keeps the file found: the exclusive open reopens that very file (ReOpenFile) rather than the
// name, and checks that the name still names it. Attributes are read and changed through it too. The
// identity's device and inode are the volume serial number and the file ID; a 128-bit ReFS ID is folded
// into the inode, but held files are compared by their full IDs.
//
// openExclusive opens with share mode 0, so that it fails while any other program has the file open for
// its data, and keeps every other opener out until the close. It never follows a reparse point: a link or
// junction is no regular file, nor is a folder or a device. The name stays: removeName marks the open file
// for deletion (POSIX semantics where the file system has them, so that the name goes with our handle even
// while other handles that read no data remain; otherwise with the last handle of the file), and nothing
// is marked before. So a run that fails, or a process that dies, leaves the file under its name.
class WindowsFileSystem : public FileSystem
{
public:
    using FileSystem::openExclusive;

    std::int64_t fileLength(const Path& path) override;
    int attributes(const Path& path) override;
    void setAttributes(const Path& path, int attributeWord) override;
    int heldAttributes(const Path& path, const FileIdentity& identity) override;
    void setHeldAttributes(const Path& path, const FileIdentity& identity, int attributeWord) override;
    RunOutlook outlook(const FileIdentity& identity) override;
    OpenResult openExclusive(const Path& path, const FileIdentity& expected) override;
    FileIdentity identify(const Path& path) override;
    bool isSameFile(const Path& path, const FileIdentity& identity) override;
    std::optional<Time> modifiedTime(const Path& path) override;
    std::vector<Path> namesIn(const Path& folder) override;
    bool write(Handle handle, const void* data, std::int64_t size) override;
    bool seekToStart(Handle handle) override;
    bool sync(Handle handle) override;
    bool removeName(Handle handle) override;
    bool close(Handle handle) override;
    StorageMap storageMap(Handle handle) override;
    StorageMap storageMapOf(const Path& path) override;
    Path longPathName(const Path& path) override;

    // The outcome a system error code of a failed open stands for.
    static OpenStatus statusForError(unsigned long error);

private:
    // The handles openExclusive gave out whose names stand: removeName acts on these alone.
    std::set<Handle> m_named;
    // A run goes on in a thread of its own while the window looks at other files.
    std::mutex m_namedLock;
};
