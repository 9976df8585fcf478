// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/ClusterMap.h"

#include <windows.h>
#include <winioctl.h>

#include <cstddef>
#include <cstring>
#include <limits>
#include <type_traits>

namespace {

// The runs of a RETRIEVAL_POINTERS_BUFFER as extents in bytes. A run whose LCN is -1 holds no clusters
// (a hole of a sparse file, or the part of a compression unit that compression saved) and gives no extent.
// False when the buffer is no consistent list of runs from VCN 0: it then tells nothing.
bool readRuns(const std::vector<unsigned char>& buffer, std::uint64_t clusterSize, std::uint32_t flags,
              std::vector<StorageExtent>& extents)
{
    using Run = std::remove_cvref_t<decltype(RETRIEVAL_POINTERS_BUFFER{}.Extents[0])>;
    constexpr std::size_t header = offsetof(RETRIEVAL_POINTERS_BUFFER, Extents);
    constexpr std::size_t runSize = sizeof(Run);
    if (clusterSize == 0 || buffer.size() < header)
        return false;
    DWORD count = 0;
    LARGE_INTEGER startingVcn{};
    std::memcpy(&count, buffer.data() + offsetof(RETRIEVAL_POINTERS_BUFFER, ExtentCount), sizeof count);
    std::memcpy(&startingVcn, buffer.data() + offsetof(RETRIEVAL_POINTERS_BUFFER, StartingVcn),
                sizeof startingVcn);
    if (count == 0 || (buffer.size() - header) / runSize < count || startingVcn.QuadPart != 0)
        return false;
    // Clusters beyond this count would overflow a byte offset.
    const auto maxClusters = std::int64_t(std::numeric_limits<std::int64_t>::max() / clusterSize);
    std::int64_t vcn = 0;
    for (DWORD i = 0; i < count; ++i) {
        Run run{};
        std::memcpy(&run, buffer.data() + header + i * runSize, runSize);
        const LARGE_INTEGER nextVcn = run.NextVcn;
        const LARGE_INTEGER lcn = run.Lcn;
        if (nextVcn.QuadPart <= vcn || nextVcn.QuadPart > maxClusters || lcn.QuadPart < -1 ||
            lcn.QuadPart > maxClusters)
            return false;
        if (lcn.QuadPart != -1) {
            StorageExtent extent;
            extent.logical = std::uint64_t(vcn) * clusterSize;
            extent.physical = std::uint64_t(lcn.QuadPart) * clusterSize;
            extent.length = std::uint64_t(nextVcn.QuadPart - vcn) * clusterSize;
            extent.flags = flags;
            extents.push_back(extent);
        }
        vcn = nextVcn.QuadPart;
    }
    if (!extents.empty())
        extents.back().flags |= StorageExtent::Last;
    return true;
}

std::string asciiName(const std::wstring& name)
{
    std::string text;
    for (const wchar_t c : name)
        text += (c > 0 && c < 0x80) ? char(c) : '?';
    return text;
}

} // namespace

FileSystemKind ClusterMap::kindOf(const std::wstring& fileSystemName)
{
    if (fileSystemName == L"NTFS")
        return FileSystemKind::Ntfs;
    if (fileSystemName == L"ReFS")
        return FileSystemKind::Refs;
    if (fileSystemName == L"FAT" || fileSystemName == L"FAT12" || fileSystemName == L"FAT16" ||
        fileSystemName == L"FAT32")
        return FileSystemKind::Fat;
    if (fileSystemName == L"exFAT")
        return FileSystemKind::ExFat;
    return FileSystemKind::Other;
}

StorageMap ClusterMap::translate(const Answers& answers, std::uint32_t ownNames)
{
    StorageMap map;
    map.readOnly = answers.volumeKnown && (answers.volumeFlags & FILE_READ_ONLY_VOLUME);
    map.flash = answers.seekPenalty.has_value() && !*answers.seekPenalty;
    if (!answers.volumeKnown || !answers.fileKnown)
        return map;
    map.known = true;
    map.typeName = asciiName(answers.fileSystemName);
    // A share answers for the server's file system, and the server may keep snapshots and caches of it.
    map.kind = answers.remote ? FileSystemKind::Other : kindOf(answers.fileSystemName);
    map.size = answers.size;
    map.otherNames = answers.links > ownNames ? answers.links - ownNames : 0;

    std::uint32_t flags = 0;
    if (answers.attributes & FILE_ATTRIBUTE_COMPRESSED)
        flags |= StorageExtent::Encoded;
    if (answers.attributes & FILE_ATTRIBUTE_ENCRYPTED)
        flags |= StorageExtent::Encrypted;

    switch (answers.runs) {
    case Runs::Listed:
        map.extentsKnown = readRuns(answers.retrievalPointers, answers.clusterSize, flags, map.extents);
        if (!map.extentsKnown)
            map.extents.clear();
        break;
    case Runs::NoClusters:
        if (answers.size == 0) {
            map.extentsKnown = true;
        } else if (map.kind == FileSystemKind::Ntfs) {
            // The data lies in the file's MFT record. It is rewritten there in place, but NTFS logs every
            // change of a record, old bytes included, in its $LogFile, which no write of ours reaches.
            map.extentsKnown = true;
            map.extents.push_back(
                {0, 0, std::uint64_t(answers.size), flags | StorageExtent::Inline | StorageExtent::Last});
        }
        break;
    case Runs::Unreadable:
        break;
    }
    return map;
}
