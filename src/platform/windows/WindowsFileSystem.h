// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileSystem.h"
#include "platform/windows/FileQueries.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>

// The file operations on Windows, through the W functions. Every path goes in its exact \\?\ form (LongPath),
// so that a name is never changed on its way: "t.txt " (a trailing blank) and "a." reach those very files,
// never their neighbours "t.txt" and "a", and no length is refused.
//
// Attribute word: the file's own read-only, hidden, system, directory and archive attributes (the values
// are Windows' own); its other attributes are neither reported nor changed. Attributes are those of the
// name itself (a link or junction is never followed), while fileLength and modifiedTime follow links.
//
// identify holds nothing: a handle would keep a USB stick from being ejected, its folder from being renamed
// or deleted, and on FAT a file deleted by someone else pending until it went. The identity is the file's
// volume serial number and its full ID instead, which no later file can share: on NTFS the 64-bit ID holds
// the record's sequence number, raised whenever the record is reused; ReFS IDs are 128 bits and never
// reused; on FAT and exFAT the ID is the position of the file's entry, which a later file may take, so the
// file's creation and last write times are part of the identity there (and under Wine, whose IDs are Linux
// inode numbers, which pass to the next new file at once: its last write time). Every later step (attributes,
// outlook, open) reopens the name and goes on only when it still leads to that file.
//
// openExclusive opens with share mode 0, so that it fails while any other program has the file open for
// its data, and keeps every other opener out until the close; a share violation is tried again for about
// two seconds (indexers, virus scanners and preview panes let go by then), and a lasting one is told with
// the holding program's name (Restart Manager). It never follows a reparse point: a link or junction is no
// regular file, nor is a folder or a device. A cloud file whose data is not on this disk is refused before
// anything is opened for writing (the open would fetch it). The file's further data streams are opened
// too, for the same sweeps. The name stays: removeName marks the open file for deletion (POSIX semantics
// where the file system has them, so that the name goes with our handle even while other handles that
// read no data remain; otherwise with the last handle of the file), and nothing is marked before. So a run
// that fails, or a process that dies, leaves the file under its name. Neither removeName nor close claims
// a removal it has not seen: the name must lead to the file before, and to nothing after.
class WindowsFileSystem : public FileSystem
{
public:
    using FileSystem::openExclusive;

    explicit WindowsFileSystem(std::unique_ptr<FileQueries> queries = std::make_unique<FileQueries>());

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
    // True while a handle openExclusive gave out (its name standing) reaches the file identity names.
    bool holdsOpen(const FileIdentity& identity);

    std::unique_ptr<FileQueries> m_queries;
    // The handles openExclusive gave out whose names stand, with their exact paths: removeName acts on these
    // alone.
    std::map<Handle, std::wstring> m_named;
    // The names removeName took, looked at again after the close; the handles of further data streams.
    std::map<Handle, std::wstring> m_removed;
    std::set<Handle> m_streams;
    // A run goes on in a thread of its own while the window looks at other files.
    std::mutex m_namedLock;
};
