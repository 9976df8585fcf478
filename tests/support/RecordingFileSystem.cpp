// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RecordingFileSystem.h"

#include "platform/FileError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>

void RecordingFileSystem::recordYield()
{
    calls.push_back({Kind::Yield, {}, 0, -1, InvalidHandle});
}

std::vector<RecordingFileSystem::Call> RecordingFileSystem::callsOf(Kind kind) const
{
    std::vector<Call> found;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(found),
                 [kind](const Call& call) { return call.kind == kind; });
    return found;
}

std::vector<std::string> RecordingFileSystem::pathsOf(Kind kind) const
{
    std::vector<std::string> paths;
    for (const Call& call : callsOf(kind))
        paths.push_back(call.path);
    return paths;
}

namespace {
FileError fileError(const FileSystem::Path& path, int errorNumber, const char* operation)
{
    return FileError(path, std::error_code(errorNumber, std::system_category()), operation);
}
} // namespace

std::int64_t RecordingFileSystem::fileLength(const Path& path)
{
    calls.push_back({Kind::FileLength, path.string()});
    if (lengthError)
        throw fileError(path, lengthError, "Reading the length");
    return length;
}

int RecordingFileSystem::attributes(const Path& path)
{
    calls.push_back({Kind::Attributes, path.string()});
    if (attributesError)
        throw fileError(path, attributesError, "Reading the attributes");
    return attributeWord;
}

void RecordingFileSystem::setAttributes(const Path& path, int word)
{
    calls.push_back({Kind::SetAttributes, path.string(), 0, word});
    if (setAttributesError)
        throw fileError(path, setAttributesError, "Changing the attributes");
    attributeWord = word;
}

FileSystem::OpenResult RecordingFileSystem::openExclusive(const Path& path, const FileIdentity&)
{
    calls.push_back({Kind::Open, path.string()});
    OpenResult result;
    result.status = openStatus;
    if (openStatus != OpenStatus::Opened) {
        result.error = std::error_code(EACCES, std::system_category());
        return result;
    }
    m_open = true;
    m_position = 0;
    result.handle = TheHandle;
    result.length = openedLength >= 0 ? openedLength : length;
    return result;
}

bool RecordingFileSystem::write(Handle handle, const void* data, std::int64_t size)
{
    checkHandle(handle);
    int value = -1;
    if (inspectBytes && size > 0) {
        // All bytes are equal exactly when the buffer equals itself shifted by one.
        const auto* bytes = static_cast<const unsigned char*>(data);
        if (std::memcmp(bytes, bytes + 1, size_t(size - 1)) == 0)
            value = bytes[0];
    }
    calls.push_back({Kind::Write, {}, size, value, handle});
    m_position += size;
    furthestPosition = std::max(furthestPosition, m_position);
    return !failingWrites.count(m_writes++);
}

bool RecordingFileSystem::seekToStart(Handle handle)
{
    checkHandle(handle);
    calls.push_back({Kind::Seek, {}, 0, -1, handle});
    if (failingSeeks.count(m_seeks++))
        return false;
    m_position = 0;
    return true;
}

bool RecordingFileSystem::sync(Handle handle)
{
    checkHandle(handle);
    calls.push_back({Kind::Sync, {}, 0, -1, handle});
    return !failingSyncs.count(m_syncs++);
}

bool RecordingFileSystem::removeName(Handle handle)
{
    checkHandle(handle);
    calls.push_back({Kind::RemoveName, {}, 0, -1, handle});
    return !removeNameFails;
}

FileIdentity RecordingFileSystem::identify(const Path&)
{
    FileIdentity identity;
    identity.known = true;
    identity.inode = inode;
    return identity;
}

bool RecordingFileSystem::isSameFile(const Path&, const FileIdentity& identity)
{
    return !identity.known || identity.inode == inode;
}

bool RecordingFileSystem::close(Handle handle)
{
    checkHandle(handle);
    calls.push_back({Kind::Close, {}, 0, -1, handle});
    m_open = false;
    return true;
}

FileSystem::Path RecordingFileSystem::longPathName(const Path& path)
{
    calls.push_back({Kind::LongPathName, path.string()});
    // The name itself, a dangling link included.
    std::error_code error;
    return std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::not_found &&
                   !error
               ? path
               : Path();
}

StorageMap RecordingFileSystem::storageMap(Handle handle)
{
    checkHandle(handle);
    calls.push_back({Kind::StorageMap, {}, 0, -1, handle});
    return storage;
}

StorageMap RecordingFileSystem::storageMapOf(const Path& path)
{
    calls.push_back({Kind::StorageMap, path.string()});
    return storage;
}

StorageMap RecordingFileSystem::inPlaceStorage()
{
    StorageMap map;
    map.known = map.extentsKnown = true;
    map.kind = FileSystemKind::Ext;
    return map;
}

void RecordingFileSystem::checkHandle(Handle handle)
{
    if (!m_open || handle != TheHandle)
        ++strayHandleUses;
}

std::string describe(const RecordingFileSystem::Call& call)
{
    using Kind = RecordingFileSystem::Kind;
    switch (call.kind) {
    case Kind::FileLength:
        return "FileLength";
    case Kind::Attributes:
        return "Attributes";
    case Kind::SetAttributes:
        return "SetAttributes:" + std::to_string(call.value);
    case Kind::Open:
        return "Open";
    case Kind::Write:
        if (call.value < 0)
            return "W" + std::to_string(call.size);
        return "W" + std::to_string(call.size) + ":0x" + "0123456789abcdef"[(call.value >> 4) & 0xf] +
               "0123456789abcdef"[call.value & 0xf];
    case Kind::Seek:
        return "Seek";
    case Kind::Sync:
        return "Sync";
    case Kind::RemoveName:
        return "RemoveName";
    case Kind::Close:
        return "Close";
    case Kind::LongPathName:
        return "LongPathName";
    case Kind::StorageMap:
        return "StorageMap";
    case Kind::Yield:
        return "Yield";
    }
    return {};
}
