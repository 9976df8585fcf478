// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/WindowsFileSystem.h"

#include "platform/FileAttributes.h"
#include "platform/FileError.h"
#include "platform/NativeText.h"
#include "platform/windows/ClusterMap.h"
#include "platform/windows/FileHandle.h"
#include "platform/windows/LongPath.h"
#include "platform/windows/StorageQuery.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The attributes of the word, which has Windows' own values for them.
constexpr DWORD WordAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;
static_assert(WordAttributes == (FileAttributes::ReadOnly | FileAttributes::Hidden | FileAttributes::System |
                                 FileAttributes::Directory | FileAttributes::Archive));
// Those of them a program may set, and the settable ones outside the word, which a change keeps.
constexpr DWORD SettableAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
constexpr DWORD KeptAttributes =
    FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// The error that stands for a name that no longer names the file identified (Changed).
constexpr DWORD ChangedError = ERROR_FILE_INVALID;
// MinGW's headers name this class only for later versions of Windows 10.
constexpr auto DispositionInfoEx = FILE_INFO_BY_HANDLE_CLASS(21);
// Nor do they name the attributes of cloud files (Windows 10).
constexpr DWORD AttributePinned = 0x00080000;
constexpr DWORD AttributeUnpinned = 0x00100000;
constexpr DWORD AttributeRecallOnOpen = 0x00040000;
constexpr DWORD AttributeRecallOnDataAccess = 0x00400000;
// Data that is not on this disk: reading or writing it fetches it first.
constexpr DWORD NotHereAttributes =
    FILE_ATTRIBUTE_OFFLINE | AttributeRecallOnOpen | AttributeRecallOnDataAccess;
constexpr DWORD CloudAttributes = NotHereAttributes | AttributePinned | AttributeUnpinned;
// The cloud files' reparse tags: IO_REPARSE_TAG_CLOUD and its 15 variants in the bits of this mask.
constexpr DWORD CloudTagMask = 0x0000F000;
// How long a share violation is tried again before it counts: a scanner's or a preview's look at a file.
constexpr DWORD ShareRetryMs = 2000;
constexpr DWORD ShareRetryStepMs = 100;

HANDLE native(NativeHandle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

std::error_code systemError(DWORD error)
{
    return {int(error), std::system_category()};
}

FileError fileError(const FileSystem::Path& path, DWORD error, const char* operation)
{
    return FileError(path, systemError(error), operation);
}

int wordOf(DWORD attributes)
{
    return int(attributes & WordAttributes);
}

// Which file a handle reaches: its volume's serial number and its ID, 128 bits on ReFS; where IDs pass to
// later files, also a stamp of its times.
struct FileKey
{
    std::uint64_t volume = 0;
    std::array<unsigned char, 16> id{};
    std::int64_t stamp = 0;

    bool operator==(const FileKey&) const = default;
    std::uint64_t low() const
    {
        std::uint64_t half = 0;
        std::memcpy(&half, id.data(), sizeof half);
        return half;
    }
    std::uint64_t high() const
    {
        std::uint64_t half = 0;
        std::memcpy(&half, id.data() + sizeof half, sizeof half);
        return half;
    }
    // The ID in 64 bits: NTFS IDs (whose upper half is 0) stay as they are.
    std::uint64_t folded() const { return low() ^ high(); }
};

// True under Wine, whose file IDs are the inode numbers of Linux file systems: those go to the next new
// file at once.
bool idsAreInodes()
{
    static const bool wine =
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

// True for FAT, FAT32 and exFAT, whose file IDs name the place of the file's entry.
bool idIsPosition(HANDLE handle)
{
    wchar_t name[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH + 1))
        return false;
    const std::wstring fileSystem = name;
    return fileSystem.starts_with(L"FAT") || fileSystem == L"exFAT";
}

std::optional<FileKey> keyOf(HANDLE handle)
{
    FileKey key;
    FILE_ID_INFO info{};
    if (::GetFileInformationByHandleEx(handle, FileIdInfo, &info, sizeof info)) {
        key.volume = info.VolumeSerialNumber;
        std::memcpy(key.id.data(), info.FileId.Identifier, key.id.size());
    } else {
        // Before Windows 8, and on file systems that do not answer the 128-bit form.
        BY_HANDLE_FILE_INFORMATION older{};
        if (!::GetFileInformationByHandle(handle, &older))
            return std::nullopt;
        key.volume = older.dwVolumeSerialNumber;
        const std::uint64_t index = (std::uint64_t(older.nFileIndexHigh) << 32) | older.nFileIndexLow;
        std::memcpy(key.id.data(), &index, sizeof index);
    }
    // A later file that takes the ID has other times: the last write (which no change of attributes
    // touches) and, on FAT, the creation (which Wine takes from the Linux change time, which they do touch).
    const bool fat = idIsPosition(handle);
    if (fat || idsAreInodes()) {
        FILE_BASIC_INFO basic{};
        if (!::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
            return std::nullopt;
        key.stamp = basic.LastWriteTime.QuadPart ^ (fat ? basic.CreationTime.QuadPart * 31 : 0);
    }
    return key;
}

// A handle for the attributes of path alone, which admits every other opener and blocks none (not even an
// exclusive open: access to attributes only is no use of the file's data); a folder too. A reparse point
// itself unless follow.
FileHandle openAttributes(const std::wstring& apiPath, bool follow, DWORD access = FILE_READ_ATTRIBUTES)
{
    if (apiPath.empty()) {
        ::SetLastError(ERROR_PATH_NOT_FOUND);
        return {};
    }
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return FileHandle(
        ::CreateFileW(apiPath.c_str(), access, ShareAll, nullptr, OPEN_EXISTING, flags, nullptr));
}

// What a name names, looked at through a handle for its attributes.
struct Named
{
    DWORD error = 0; // why it could not be looked at
    FileKey key;
    DWORD attributes = 0;
    DWORD reparseTag = 0;
    bool onDisk = false; // a file of a file system, not a device, pipe or console

    // A cloud file's placeholder is a reparse point of the cloud's own tag, and regular all the same.
    bool cloudTagged() const
    {
        return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
               (reparseTag & ~CloudTagMask) == DWORD(IO_REPARSE_TAG_CLOUD);
    }
    bool cloud() const { return (attributes & CloudAttributes) || cloudTagged(); }
    bool dataHere() const { return !(attributes & NotHereAttributes); }
    bool regular() const
    {
        const DWORD reparse = cloudTagged() ? 0 : FILE_ATTRIBUTE_REPARSE_POINT;
        return onDisk && !(attributes & (FILE_ATTRIBUTE_DIRECTORY | reparse | FILE_ATTRIBUTE_DEVICE));
    }
    // The error a run on something that is no regular file ends with.
    DWORD irregularError() const
    {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)
                   ? ERROR_DIRECTORY
                   : ERROR_CANT_ACCESS_FILE;
    }
};

// Fills named from an open handle; false (with the error) when it cannot be read.
bool describe(HANDLE handle, Named& named, FileQueries& queries)
{
    const std::optional<FileKey> key = keyOf(handle);
    const std::optional<FileQueries::AttributeTag> tag = key ? queries.attributeTag(handle) : std::nullopt;
    if (!tag) {
        named.error = ::GetLastError();
        if (named.error == 0)
            named.error = ERROR_GEN_FAILURE;
        return false;
    }
    named.key = *key;
    named.attributes = tag->attributes;
    named.reparseTag = tag->reparseTag;
    named.onDisk = ::GetFileType(handle) == FILE_TYPE_DISK;
    return true;
}

// What path names now. A device is never opened, not even for its attributes: that alone can act on it.
Named lookAt(const FileSystem::Path& path, const std::wstring& apiPath, FileQueries& queries)
{
    Named named;
    if (path.empty() || apiPath.empty()) {
        named.error = ERROR_PATH_NOT_FOUND;
        return named;
    }
    if (LongPath::namesDevice(path)) {
        named.error = ERROR_BAD_DEVICE;
        return named;
    }
    const FileHandle handle = openAttributes(apiPath, false);
    if (!handle)
        named.error = ::GetLastError();
    else
        describe(handle.get(), named, queries);
    return named;
}

// True when key is the key of the file identity names, by its full ID, and by its stamp where that counts
// and the file is not held open by us (while it is, no other file can have its ID, and our writes change
// its times).
bool isIdentified(const FileKey& key, const FileIdentity& identity, bool heldOpen = false)
{
    return key.volume == identity.device && key.low() == identity.inode && key.high() == identity.inodeHigh &&
           (heldOpen || key.stamp == identity.stamp);
}

// A handle for the attributes of the file identity names, reached by its exact path, with access; an
// invalid one (and the error ChangedError) when the path leads elsewhere now.
FileHandle openIdentified(const FileIdentity& identity, DWORD access, bool heldOpen = false)
{
    const std::wstring apiPath = LongPath::forApi(identity.path);
    FileHandle file = openAttributes(apiPath, false, access);
    const std::optional<FileKey> key = file ? keyOf(file.get()) : std::nullopt;
    if (file && (!key || !isIdentified(*key, identity, heldOpen))) {
        file = FileHandle();
        ::SetLastError(ChangedError);
    }
    return file;
}

// True when the folder of apiPath is the one identity was found in (or identity knows none).
bool inIdentifiedFolder(const std::wstring& apiPath, const FileIdentity& identity)
{
    if (identity.folderDevice == 0 && identity.folderInode == 0)
        return true;
    const FileHandle folder = openAttributes(LongPath::folderOf(apiPath), true);
    const std::optional<FileKey> key = folder ? keyOf(folder.get()) : std::nullopt;
    return key && key->volume == identity.folderDevice && key->folded() == identity.folderInode;
}

// Sets the word's settable attributes on the file open as handle, keeping its other ones. Nothing is done
// when they are already as asked; a reparse point is never changed. The error, or none.
std::error_code changeAttributes(HANDLE handle, int attributeWord)
{
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
        return systemError(::GetLastError());
    const DWORD wanted =
        (basic.FileAttributes & KeptAttributes) | (DWORD(attributeWord) & SettableAttributes);
    if ((basic.FileAttributes & (KeptAttributes | SettableAttributes)) == wanted)
        return {};
    if (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return std::make_error_code(std::errc::too_many_symbolic_link_levels);
    FILE_BASIC_INFO change{}; // times of 0 stay as they are
    // Attributes of 0 would mean "unchanged"; NORMAL is the word for none.
    change.FileAttributes = wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL;
    if (!::SetFileInformationByHandle(handle, FileBasicInfo, &change, sizeof change))
        return systemError(::GetLastError());
    return {};
}

// Whether filling the holes of the file open as handle fits the free space. Only a file that holds fewer
// clusters than its length has holes (a compressed one holds fewer too, but the sweeps' blocks of one byte
// value compress to almost nothing). NTFS records the new runs in the file's record and, once they outgrow
// it, in further records: one cluster in 1,024 and 16 more leave room for them.
RunOutlook spaceOutlook(HANDLE handle)
{
    FILE_STANDARD_INFO standard{};
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard) ||
        !::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) || standard.Directory ||
        (basic.FileAttributes & FILE_ATTRIBUTE_COMPRESSED))
        return {};
    const std::int64_t holes = standard.EndOfFile.QuadPart - standard.AllocationSize.QuadPart;
    std::int64_t free = 0;
    std::int64_t cluster = 0;
    if (holes <= 0 || !StorageQuery::freeSpace(StorageQuery::volumeRoot(handle), free, cluster))
        return {};
    return RunOutlook::forHoles(holes, cluster, 1024, free);
}

FileSystem::OpenResult openFailure(OpenStatus status, DWORD error)
{
    FileSystem::OpenResult result;
    result.status = status;
    result.error = systemError(error);
    return result;
}

FileSystem::OpenResult openFailure(DWORD error)
{
    return openFailure(WindowsFileSystem::statusForError(error), error);
}

// Why the exclusive open of the file named was refused with error: a program holding it, by its name where
// the system tells it; a write refused although the file's rights allow it, as the work of a protection
// program.
FileSystem::OpenResult refusal(const std::wstring& apiPath, const Named& named, DWORD error,
                               FileQueries& queries)
{
    FileSystem::OpenResult result = openFailure(error);
    if (result.status == OpenStatus::InUse) {
        if (const std::wstring holder = queries.holder(apiPath); !holder.empty())
            result.holder = NativeText::fromUtf16(holder);
    } else if (error == ERROR_ACCESS_DENIED && !(named.attributes & FILE_ATTRIBUTE_READONLY) &&
               queries.rightsAllowWrite(apiPath)) {
        result.status = OpenStatus::Blocked;
    }
    return result;
}

} // namespace

OpenStatus WindowsFileSystem::statusForError(unsigned long error)
{
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return OpenStatus::InUse;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_FILE_READ_ONLY:
        return OpenStatus::AccessDenied;
    case ERROR_DIRECTORY:
    case ERROR_CANT_ACCESS_FILE:
    case ERROR_CANT_RESOLVE_FILENAME:
    case ERROR_BAD_DEVICE:
        return OpenStatus::NotRegularFile;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NOT_READY:
    case ERROR_DELETE_PENDING:
        return OpenStatus::NotFound;
    case ChangedError:
        return OpenStatus::Changed;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return OpenStatus::NoSpace;
    default:
        return OpenStatus::Failed;
    }
}

// The length of the file path leads to, a link followed. Throws FileError when it cannot be read, and for a
// folder.
std::int64_t WindowsFileSystem::fileLength(const Path& path)
{
    static const char* const operation = "Reading the length";
    if (LongPath::namesDevice(path))
        throw fileError(path, ERROR_BAD_DEVICE, operation);
    const FileHandle file = openAttributes(LongPath::forApi(path), true);
    FILE_STANDARD_INFO standard{};
    if (!file || !::GetFileInformationByHandleEx(file.get(), FileStandardInfo, &standard, sizeof standard))
        throw fileError(path, ::GetLastError(), operation);
    if (standard.Directory)
        throw FileError(path, std::make_error_code(std::errc::is_a_directory), operation);
    return standard.EndOfFile.QuadPart;
}

// The word of the name itself: a link's own attributes, never those of what it leads to.
int WindowsFileSystem::attributes(const Path& path)
{
    const DWORD attributes =
        path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(LongPath::forApi(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        throw fileError(path, path.empty() ? ERROR_PATH_NOT_FOUND : ::GetLastError(),
                        "Reading the attributes");
    return wordOf(attributes);
}

void WindowsFileSystem::setAttributes(const Path& path, int attributeWord)
{
    static const char* const operation = "Changing the attributes";
    if (LongPath::namesDevice(path))
        throw fileError(path, ERROR_BAD_DEVICE, operation);
    const FileHandle file =
        openAttributes(LongPath::forApi(path), false, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
    if (!file)
        throw fileError(path, ::GetLastError(), operation);
    if (const std::error_code error = changeAttributes(file.get(), attributeWord))
        throw FileError(path, error, operation);
}

WindowsFileSystem::WindowsFileSystem(std::unique_ptr<FileQueries> queries)
    : m_queries(std::move(queries))
{}

bool WindowsFileSystem::holdsOpen(const FileIdentity& identity)
{
    const std::lock_guard<std::mutex> lock(m_namedLock);
    return std::any_of(m_named.begin(), m_named.end(), [&](const auto& named) {
        const std::optional<FileKey> key = keyOf(native(named.first));
        return key && isIdentified(*key, identity, true);
    });
}

// Through the name, and only while it leads to the file identified.
int WindowsFileSystem::heldAttributes(const Path& path, const FileIdentity& identity)
{
    if (!identity.known)
        return attributes(path);
    const FileHandle file = openIdentified(identity, FILE_READ_ATTRIBUTES, holdsOpen(identity));
    FILE_BASIC_INFO basic{};
    if (!file || !::GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic))
        throw fileError(path, ::GetLastError(), "Reading the attributes");
    return wordOf(basic.FileAttributes);
}

// Through a handle of the file identified, never of a file put under the name meanwhile: that one keeps its
// own.
void WindowsFileSystem::setHeldAttributes(const Path& path, const FileIdentity& identity, int attributeWord)
{
    if (!identity.known) {
        setAttributes(path, attributeWord);
        return;
    }
    static const char* const operation = "Changing the attributes";
    const FileHandle file =
        openIdentified(identity, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, holdsOpen(identity));
    if (!file)
        throw fileError(path, ::GetLastError(), operation);
    if (const std::error_code error = changeAttributes(file.get(), attributeWord))
        throw FileError(path, error, operation);
}

// Looked at through the name, while it leads to the file identified: room for the sweeps, the file's
// further data streams, and whether a cloud keeps it.
RunOutlook WindowsFileSystem::outlook(const FileIdentity& identity)
{
    const FileHandle file = identity.known ? openIdentified(identity, FILE_READ_ATTRIBUTES) : FileHandle();
    Named named;
    if (!file || !describe(file.get(), named, *m_queries))
        return {};
    RunOutlook outlook;
    if (named.dataHere()) {
        if (const RunOutlook space = spaceOutlook(file.get()); space.status == OpenStatus::NoSpace)
            outlook = space;
        const auto streams = m_queries->streamNames(LongPath::forApi(identity.path));
        outlook.streams = streams ? int(streams->size()) : 0;
    } else {
        outlook.status = OpenStatus::CloudOnly;
    }
    outlook.cloud = named.cloud();
    return outlook;
}

// Opens path for writing with share mode 0, keeping its name, and the file's further data streams with it.
// Returns status Opened with the handles and the lengths read from them, or the reason of the failure with
// nothing written and the file untouched.
FileSystem::OpenResult WindowsFileSystem::openExclusive(const Path& path, const FileIdentity& expected)
{
    // The name is looked at before anything is opened for writing: a folder, link or device never is, nor
    // a cloud file whose data would have to be fetched first.
    const std::wstring apiPath = LongPath::forApi(path);
    const Named named = lookAt(path, apiPath, *m_queries);
    if (named.error != 0)
        return openFailure(named.error);
    if (!named.regular())
        return openFailure(OpenStatus::NotRegularFile, named.irregularError());
    if (expected.known && (!isIdentified(named.key, expected) || !inIdentifiedFolder(apiPath, expected)))
        return openFailure(ChangedError);
    if (!named.dataHere())
        return openFailure(OpenStatus::CloudOnly, ERROR_FILE_OFFLINE);

    // DELETE now: a file whose name could not be removed afterwards is not overwritten either. What the name
    // reached is compared below, so that a file put under it meanwhile is never written.
    constexpr DWORD access = GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES;
    constexpr DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN;
    FileHandle file;
    for (DWORD waited = 0;; waited += ShareRetryStepMs) {
        file = FileHandle(::CreateFileW(apiPath.c_str(), access, 0, nullptr, OPEN_EXISTING, flags, nullptr));
        if (file || ::GetLastError() != ERROR_SHARING_VIOLATION || waited >= ShareRetryMs)
            break;
        ::Sleep(ShareRetryStepMs);
    }
    if (!file)
        return refusal(apiPath, named, ::GetLastError(), *m_queries);
    Named opened;
    if (!describe(file.get(), opened, *m_queries))
        return openFailure(opened.error);
    if (!opened.regular())
        return openFailure(OpenStatus::NotRegularFile, opened.irregularError());
    if (opened.key != named.key)
        return openFailure(ChangedError);
    // While we hold it nobody can rename or delete it, but it may have been just before the open.
    const Named now = lookAt(path, apiPath, *m_queries);
    if (now.error != 0)
        return openFailure(now.error);
    if (now.key != named.key)
        return openFailure(ChangedError);

    // Writing into a sparse file's holes allocates clusters: a run that ran out of space half-way would fill
    // the disk for minutes and leave the rest of the file as it was.
    OpenResult result;
    if (const RunOutlook space = spaceOutlook(file.get()); space.status == OpenStatus::NoSpace) {
        result = openFailure(OpenStatus::NoSpace, ERROR_DISK_FULL);
        result.spaceNeeded = space.spaceNeeded;
        result.spaceFree = space.spaceFree;
        return result;
    }
    LARGE_INTEGER length{};
    if (!::GetFileSizeEx(file.get(), &length))
        return openFailure(::GetLastError());
    // Each further data stream is a file's worth of data of its own; one left out would keep its clusters.
    const std::optional<std::vector<std::wstring>> streamNames = m_queries->streamNames(apiPath);
    if (!streamNames)
        return openFailure(OpenStatus::StreamFailed, ::GetLastError());
    std::vector<FileHandle> streams;
    for (const std::wstring& streamName : *streamNames) {
        // ":name:$DATA" as the path "file:name".
        const std::wstring name = streamName.substr(0, streamName.rfind(L":$DATA"));
        streams.emplace_back(::CreateFileW((apiPath + name).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        LARGE_INTEGER streamLength{};
        if (!streams.back() || !::GetFileSizeEx(streams.back().get(), &streamLength))
            return openFailure(OpenStatus::StreamFailed, ::GetLastError());
        result.streams.push_back({reinterpret_cast<Handle>(streams.back().get()), streamLength.QuadPart});
    }

    result.status = OpenStatus::Opened;
    result.length = length.QuadPart;
    result.handle = reinterpret_cast<Handle>(file.release());
    const std::lock_guard<std::mutex> lock(m_namedLock);
    m_named[result.handle] = apiPath;
    for (FileHandle& stream : streams)
        m_streams.insert(reinterpret_cast<Handle>(stream.release()));
    return result;
}

FileIdentity WindowsFileSystem::identify(const Path& path)
{
    const std::wstring apiPath = LongPath::forApi(path);
    if (apiPath.empty() || LongPath::namesDevice(path))
        return {};
    const FileHandle file = openAttributes(apiPath, false);
    const std::optional<FileKey> key = file ? keyOf(file.get()) : std::nullopt;
    // Some file systems (shares of some servers among them) give every file the ID 0: it tells nothing.
    if (!key || key->id == FileKey().id)
        return {};
    FileIdentity identity;
    identity.known = true;
    identity.device = key->volume;
    identity.inode = key->low();
    identity.inodeHigh = key->high();
    identity.stamp = key->stamp;
    identity.path = path;
    const FileHandle folder = openAttributes(LongPath::folderOf(apiPath), true);
    if (const std::optional<FileKey> folderKey = folder ? keyOf(folder.get()) : std::nullopt) {
        identity.folderDevice = folderKey->volume;
        identity.folderInode = folderKey->folded();
    }
    return identity;
}

bool WindowsFileSystem::isSameFile(const Path& path, const FileIdentity& identity)
{
    if (!identity.known)
        return true;
    const std::wstring apiPath = LongPath::forApi(path);
    const Named named = lookAt(path, apiPath, *m_queries);
    return named.error == 0 && isIdentified(named.key, identity) && inIdentifiedFolder(apiPath, identity);
}

std::optional<FileSystem::Time> WindowsFileSystem::modifiedTime(const Path& path)
{
    // FILETIME counts 100 ns from 1601; the clock counts from 1970.
    constexpr std::int64_t TicksBefore1970 = 116444736000000000;
    if (path.empty() || LongPath::namesDevice(path))
        return std::nullopt;
    const FileHandle file = openAttributes(LongPath::forApi(path), true);
    FILE_BASIC_INFO basic{};
    if (!file || !::GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic))
        return std::nullopt;
    const std::chrono::duration<std::int64_t, std::ratio<1, 10000000>> ticks(basic.LastWriteTime.QuadPart -
                                                                             TicksBefore1970);
    return Time(std::chrono::duration_cast<Time::duration>(ticks));
}

std::vector<FileSystem::Path> WindowsFileSystem::namesIn(const Path& folder)
{
    std::vector<Path> names;
    if (folder.empty())
        return names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW(LongPath::forApi(folder / L"*").c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.emplace_back(name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

// Writes size bytes at the current position, completing partial writes. A size of 0 issues no call.
bool WindowsFileSystem::write(Handle handle, const void* data, std::int64_t size)
{
    if (size < 0)
        return false;
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = DWORD(std::min<std::int64_t>(size, std::int64_t(1) << 30));
        DWORD written = 0;
        if (!::WriteFile(native(handle), next, chunk, &written, nullptr) || written == 0)
            return false;
        next += written;
        size -= written;
    }
    return true;
}

bool WindowsFileSystem::seekToStart(Handle handle)
{
    return ::SetFilePointerEx(native(handle), LARGE_INTEGER{}, nullptr, FILE_BEGIN) != FALSE;
}

// FlushFileBuffers also has the device write out its own cache.
bool WindowsFileSystem::sync(Handle handle)
{
    return ::FlushFileBuffers(native(handle)) != FALSE;
}

// Marks the open file itself for deletion, but only while its exact name still leads to it: a file renamed
// away meanwhile (Windows forbids it, Wine lets a Linux program do it) keeps its new name, and the run says
// that the name stayed. With POSIX semantics the name goes when our handle closes; without (FAT, exFAT,
// older Windows, Wine) when the last handle of the file closes, or when the process ends. Either way from
// now on nothing can keep it, and nobody can open the file any more.
bool WindowsFileSystem::removeName(Handle handle)
{
    std::wstring apiPath;
    {
        const std::lock_guard<std::mutex> lock(m_namedLock);
        const auto named = m_named.find(handle);
        if (named == m_named.end())
            return false;
        apiPath = named->second;
    }
    const std::optional<FileKey> own = keyOf(native(handle));
    const FileHandle byName = openAttributes(apiPath, false);
    const std::optional<FileKey> atName = byName ? keyOf(byName.get()) : std::nullopt;
    if (!own || !atName || *own != *atName)
        return false;
    FILE_DISPOSITION_INFO_EX posix{FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_POSIX_SEMANTICS};
    bool marked = ::SetFileInformationByHandle(native(handle), DispositionInfoEx, &posix, sizeof posix);
    if (!marked) {
        FILE_DISPOSITION_INFO classic{TRUE};
        marked = ::SetFileInformationByHandle(native(handle), FileDispositionInfo, &classic, sizeof classic);
    }
    if (marked) {
        const std::lock_guard<std::mutex> lock(m_namedLock);
        m_named.erase(handle);
        m_removed[handle] = apiPath;
    }
    return marked;
}

// After the close a name that removeName took must lead to nothing: neither to the file (a handle of another
// program that shared deletion keeps it only while it is "delete pending", which no open gets past) nor
// to another one.
bool WindowsFileSystem::close(Handle handle)
{
    std::wstring removed;
    {
        const std::lock_guard<std::mutex> lock(m_namedLock);
        m_named.erase(handle);
        m_streams.erase(handle);
        if (const auto taken = m_removed.find(handle); taken != m_removed.end()) {
            removed = taken->second;
            m_removed.erase(taken);
        }
    }
    if (!::CloseHandle(native(handle)))
        return false;
    return removed.empty() || ::GetFileAttributesW(removed.c_str()) == INVALID_FILE_ATTRIBUTES;
}

// The name still standing counts as the file's own, not as a further hard link; a further data stream's
// file has that name too.
StorageMap WindowsFileSystem::storageMap(Handle handle)
{
    // A map taken before the writes reached the device could show clusters the file is about to leave.
    if (!::FlushFileBuffers(native(handle)))
        return {};
    std::unique_lock<std::mutex> lock(m_namedLock);
    const std::uint32_t ownNames = m_named.count(handle) || m_streams.count(handle) ? 1 : 0;
    lock.unlock();
    return ClusterMap::translate(StorageQuery::answersFor(native(handle)), ownNames);
}

// Looked at through a handle for attributes only, and only when the name is a regular file.
StorageMap WindowsFileSystem::storageMapOf(const Path& path)
{
    const std::wstring apiPath = LongPath::forApi(path);
    if (path.empty() || LongPath::namesDevice(path))
        return {};
    const FileHandle file = openAttributes(apiPath, false);
    if (!file) {
        // A file nobody may look at can still lie on a medium that takes no writes.
        StorageMap unreadable;
        std::wstring root(apiPath.size() + MAX_PATH, L'\0');
        DWORD flags = 0;
        unreadable.readOnly =
            ::GetVolumePathNameW(apiPath.c_str(), root.data(), DWORD(root.size())) &&
            ::GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
            (flags & FILE_READ_ONLY_VOLUME);
        return unreadable;
    }
    Named named;
    if (!describe(file.get(), named, *m_queries) || !named.regular())
        return {};
    return ClusterMap::translate(StorageQuery::answersFor(file.get()), 1);
}

// The long form of every short (8.3) part of path; empty when path names nothing. Each name is looked up
// by its exact form, the folders before it too, so that "t.txt " never turns into its neighbour "t.txt".
FileSystem::Path WindowsFileSystem::longPathName(const Path& path)
{
    const std::wstring apiPath = LongPath::forApi(path);
    if (apiPath.empty() || LongPath::namesDevice(path) ||
        ::GetFileAttributesW(apiPath.c_str()) == INVALID_FILE_ATTRIBUTES)
        return {};
    // The root stays as it is: \\?\C:\ or \\?\UNC\server\share\.
    std::size_t at = apiPath.find(L'\\', 4);
    if (apiPath.starts_with(LR"(\\?\UNC\)") && at != std::wstring::npos)
        at = apiPath.find(L'\\', apiPath.find(L'\\', at + 1) + 1);
    if (at == std::wstring::npos)
        return Path(LongPath::asGiven(apiPath, path));
    std::wstring longName = apiPath.substr(0, at);
    while (at < apiPath.size()) {
        std::size_t end = apiPath.find(L'\\', at + 1);
        if (end == std::wstring::npos)
            end = apiPath.size();
        const std::wstring name = apiPath.substr(at + 1, end - at - 1);
        at = end;
        if (name.empty())
            break;
        // A wildcard would let the search answer with another name.
        if (name.find_first_of(L"*?<>\"") != std::wstring::npos)
            return {};
        std::wstring sought = longName;
        sought.append(L"\\").append(name);
        WIN32_FIND_DATAW found{};
        const HANDLE search =
            ::FindFirstFileExW(sought.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
        if (search == INVALID_HANDLE_VALUE)
            return {};
        ::FindClose(search);
        longName += L"\\" + std::wstring(found.cFileName);
    }
    if (apiPath.ends_with(L'\\'))
        longName += L'\\';
    return Path(LongPath::asGiven(longName, path));
}
