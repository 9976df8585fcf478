// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/StorageQuery.h"

#include "platform/windows/FileHandle.h"

#include <windows.h>
#include <winioctl.h>

namespace {

// A retrieval-pointer list larger than this (four million runs) is not read: the map stays unknown.
constexpr std::size_t MaxRunsBuffer = std::size_t(64) << 20;

// Asks for the runs from VCN 0 until the buffer holds them all.
void readRuns(HANDLE file, ClusterMap::Answers& answers)
{
    std::vector<unsigned char> buffer(std::size_t(64) << 10);
    for (;;) {
        STARTING_VCN_INPUT_BUFFER start{};
        DWORD returned = 0;
        if (::DeviceIoControl(file, FSCTL_GET_RETRIEVAL_POINTERS, &start, sizeof start, buffer.data(),
                              DWORD(buffer.size()), &returned, nullptr)) {
            buffer.resize(returned);
            answers.retrievalPointers = std::move(buffer);
            answers.runs = ClusterMap::Runs::Listed;
            return;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_MORE_DATA && buffer.size() < MaxRunsBuffer) {
            buffer.resize(buffer.size() * 4);
            continue;
        }
        answers.runs =
            error == ERROR_HANDLE_EOF ? ClusterMap::Runs::NoClusters : ClusterMap::Runs::Unreadable;
        return;
    }
}

// Whether the device beneath the volume of root has no seek penalty (flash memory). The volume is opened
// with no access at all: that reads nothing and needs no rights.
std::optional<bool> seekPenaltyOf(const std::wstring& root)
{
    wchar_t name[MAX_PATH] = {};
    std::wstring volume;
    if (::GetVolumeNameForVolumeMountPointW(root.c_str(), name, MAX_PATH))
        volume = name;
    else if (root.size() >= 2 && root[root.size() - 2] == L':')
        volume = LR"(\\.\)" + root.substr(root.size() - 3, 2) + L"\\";
    if (volume.size() < 2)
        return std::nullopt;
    volume.pop_back(); // the volume itself, not its root folder
    const FileHandle device(::CreateFileW(volume.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    if (!device)
        return std::nullopt;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceSeekPenaltyProperty;
    query.QueryType = PropertyStandardQuery;
    DEVICE_SEEK_PENALTY_DESCRIPTOR penalty{};
    DWORD returned = 0;
    if (!::DeviceIoControl(device.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &penalty,
                           sizeof penalty, &returned, nullptr) ||
        returned < sizeof penalty)
        return std::nullopt;
    return penalty.IncursSeekPenalty != FALSE;
}

} // namespace

std::wstring StorageQuery::finalPath(void* handle)
{
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length = ::GetFinalPathNameByHandleW(HANDLE(handle), path.data(), DWORD(path.size()),
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.assign(length, L'\0');
    }
    return {};
}

std::wstring StorageQuery::volumeRoot(void* handle)
{
    const std::wstring path = finalPath(handle);
    if (path.empty())
        return {};
    std::wstring root(path.size() + 1, L'\0');
    if (!::GetVolumePathNameW(path.c_str(), root.data(), DWORD(root.size())))
        return {};
    root.resize(root.find(L'\0'));
    return root;
}

bool StorageQuery::freeSpace(const std::wstring& root, std::int64_t& free, std::int64_t& clusterSize)
{
    ULARGE_INTEGER available{};
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD clusters = 0;
    if (root.empty() || !::GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr) ||
        !::GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return false;
    free = std::int64_t(std::min<ULONGLONG>(available.QuadPart, ULONGLONG(INT64_MAX)));
    clusterSize = std::int64_t(sectorsPerCluster) * std::int64_t(bytesPerSector);
    return clusterSize > 0;
}

ClusterMap::Answers StorageQuery::answersFor(void* handle)
{
    const auto file = HANDLE(handle);
    ClusterMap::Answers answers;
    wchar_t fileSystem[MAX_PATH + 1] = {};
    DWORD flags = 0;
    answers.volumeKnown =
        ::GetVolumeInformationByHandleW(file, nullptr, 0, nullptr, nullptr, &flags, fileSystem, MAX_PATH + 1);
    answers.fileSystemName = fileSystem;
    answers.volumeFlags = flags;

    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    answers.fileKnown = ::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) &&
                        ::GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard);
    answers.attributes = basic.FileAttributes;
    answers.size = standard.EndOfFile.QuadPart;
    answers.links = standard.NumberOfLinks;
    answers.remote = finalPath(handle).starts_with(LR"(\\?\UNC\)");

    const std::wstring root = volumeRoot(handle);
    std::int64_t free = 0;
    std::int64_t cluster = 0;
    if (freeSpace(root, free, cluster))
        answers.clusterSize = std::uint64_t(cluster);
    readRuns(file, answers);
    if (!root.empty())
        answers.seekPenalty = seekPenaltyOf(root);
    return answers;
}
