// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

// A FileSystem double that records every call in order and answers from its configuration, touching no
// file; only the long-form lookup looks at the real disk (the path itself when something exists there).
// Paths are recorded as their bytes.
// A test's yield callback calls recordYield() so that yields land in the same log.
class RecordingFileSystem : public FileSystem
{
public:
    enum class Kind {
        FileLength,
        Attributes,
        SetAttributes,
        Open,
        Write,
        Seek,
        Sync,
        RemoveName,
        Close,
        LongPathName,
        StorageMap,
        Yield
    };

    struct Call
    {
        Kind kind;
        std::string path;      // FileLength, Attributes, SetAttributes, Open, LongPathName, StorageMap
        std::int64_t size = 0; // Write: the byte count
        int value = -1;        // Write: the byte when all bytes are equal (-1 when mixed or empty);
                               // SetAttributes: the word
        Handle handle = InvalidHandle; // Write, Seek, Sync, Close
    };

    // Configuration -----------------------------------------------------------------------------------
    std::int64_t length = 0;        // what fileLength answers
    std::int64_t openedLength = -1; // what the open reports; -1: the same as length
    int attributeWord = 0;          // what attributes answers (setAttributes changes it)
    int lengthError = 0;            // errno: fileLength throws FileError when non-zero
    int attributesError = 0;        // errno: attributes throws FileError when non-zero
    int setAttributesError = 0;     // errno: setAttributes throws FileError when non-zero
    OpenStatus openStatus = OpenStatus::Opened;
    std::set<int> failingWrites;           // 0-based numbers of the writes that report failure
    std::set<int> failingSyncs;            // 0-based numbers of the syncs that report failure
    std::set<int> failingSeeks;            // 0-based numbers of the seeks that report failure
    bool inspectBytes = true;              // false: record writes by size only (for very long runs)
    StorageMap storage = inPlaceStorage(); // what both storage maps answer
    std::uint64_t inode = 1;               // the file the path names: a test swaps it by changing this
    RunOutlook seen;                       // what outlook answers
    bool removeNameFails = false;

    static constexpr Handle TheHandle = 7;

    // Record --------------------------------------------------------------------------------------------
    std::vector<Call> calls;

    // Where the simulated position went furthest: a correct run never passes the opened length.
    std::int64_t furthestPosition = 0;
    // Calls made with a handle other than the one the open gave out, or after the close.
    int strayHandleUses = 0;

    void recordYield();
    // The recorded calls of one kind, in order.
    std::vector<Call> callsOf(Kind kind) const;
    // The paths of the recorded calls of one kind, in order.
    std::vector<std::string> pathsOf(Kind kind) const;

    // FileSystem ----------------------------------------------------------------------------------------
    std::int64_t fileLength(const Path& path) override;
    int attributes(const Path& path) override;
    void setAttributes(const Path& path, int attributeWord) override;
    using FileSystem::openExclusive;
    OpenResult openExclusive(const Path& path, const FileIdentity& expected) override;
    bool removeName(Handle handle) override;
    bool write(Handle handle, const void* data, std::int64_t size) override;
    bool seekToStart(Handle handle) override;
    bool sync(Handle handle) override;
    bool close(Handle handle) override;
    Path longPathName(const Path& path) override;
    StorageMap storageMap(Handle handle) override;
    StorageMap storageMapOf(const Path& path) override;
    FileIdentity identify(const Path& path) override;
    bool isSameFile(const Path& path, const FileIdentity& identity) override;
    RunOutlook outlook(const FileIdentity&) override { return seen; }

    // An ext4 file that is written in place and has no other names.
    static StorageMap inPlaceStorage();

private:
    void checkHandle(Handle handle);

    bool m_open = false;
    std::int64_t m_position = 0;
    int m_writes = 0;
    int m_syncs = 0;
    int m_seeks = 0;
};

// A short text for a recorded call, for failure messages: "W32768:0x00", "W1:0x5a", "Seek", "Yield" ...
std::string describe(const RecordingFileSystem::Call& call);
