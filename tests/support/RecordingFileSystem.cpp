// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RecordingFileSystem.h"

#include "platform/CoreBridge.h"
#include "platform/FileError.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
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

QStringList RecordingFileSystem::pathsOf(Kind kind) const
{
    QStringList paths;
    for (const Call& call : callsOf(kind))
        paths.append(call.path);
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
    calls.push_back({Kind::FileLength, CoreBridge::fromPath(path)});
    if (lengthError)
        throw fileError(path, lengthError, "Reading the length");
    return length;
}

int RecordingFileSystem::attributes(const Path& path)
{
    calls.push_back({Kind::Attributes, CoreBridge::fromPath(path)});
    if (attributesError)
        throw fileError(path, attributesError, "Reading the attributes");
    return attributeWord;
}

void RecordingFileSystem::setAttributes(const Path& path, int word)
{
    calls.push_back({Kind::SetAttributes, CoreBridge::fromPath(path), 0, word});
    if (setAttributesError)
        throw fileError(path, setAttributesError, "Changing the attributes");
    attributeWord = word;
}

FileSystem::OpenResult RecordingFileSystem::openExclusive(const Path& path, const FileIdentity&)
{
    calls.push_back({Kind::Open, CoreBridge::fromPath(path)});
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
    return true;
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
    const QString text = CoreBridge::fromPath(path);
    calls.push_back({Kind::LongPathName, text});
    return nameExists(text) ? path : Path();
}

StorageMap RecordingFileSystem::storageMap(Handle handle)
{
    checkHandle(handle);
    calls.push_back({Kind::StorageMap, {}, 0, -1, handle});
    return storage;
}

StorageMap RecordingFileSystem::storageMapOf(const Path& path)
{
    calls.push_back({Kind::StorageMap, CoreBridge::fromPath(path)});
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

QString describe(const RecordingFileSystem::Call& call)
{
    using Kind = RecordingFileSystem::Kind;
    switch (call.kind) {
    case Kind::FileLength:
        return QStringLiteral("FileLength");
    case Kind::Attributes:
        return QStringLiteral("Attributes");
    case Kind::SetAttributes:
        return QStringLiteral("SetAttributes:%1").arg(call.value);
    case Kind::Open:
        return QStringLiteral("Open");
    case Kind::Write:
        if (call.value < 0)
            return QStringLiteral("W%1").arg(call.size);
        return QStringLiteral("W%1:0x%2").arg(call.size).arg(call.value, 2, 16, QLatin1Char('0'));
    case Kind::Seek:
        return QStringLiteral("Seek");
    case Kind::Sync:
        return QStringLiteral("Sync");
    case Kind::RemoveName:
        return QStringLiteral("RemoveName");
    case Kind::Close:
        return QStringLiteral("Close");
    case Kind::LongPathName:
        return QStringLiteral("LongPathName");
    case Kind::StorageMap:
        return QStringLiteral("StorageMap");
    case Kind::Yield:
        return QStringLiteral("Yield");
    }
    return QString();
}
