// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/StorageMap.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Where an open file's data lies, read from what Windows answers about it and its volume. The answers are
// gathered elsewhere (StorageQuery) and turned into the StorageMap the overwrite check judges here, apart
// from any call, so that answers recorded on NTFS, ReFS or FAT can be replayed where none of them exists.
class ClusterMap
{
public:
    // How FSCTL_GET_RETRIEVAL_POINTERS answered from VCN 0.
    enum class Runs {
        Listed,     // retrievalPointers holds the RETRIEVAL_POINTERS_BUFFER, every run of the file
        NoClusters, // ERROR_HANDLE_EOF: the file has no cluster of its own (empty, or its data is resident)
        Unreadable, // any other failure
    };

    struct Answers
    {
        bool volumeKnown = false;      // GetVolumeInformationByHandleW answered
        std::wstring fileSystemName;   // its file system name: "NTFS", "ReFS", "FAT32", "exFAT"
        std::uint32_t volumeFlags = 0; // its flags (FILE_READ_ONLY_VOLUME ...)
        bool remote = false;           // the file lies on another machine, whose ways are not seen here
        bool fileKnown = false;        // the file's attributes, length and link count were read
        std::uint32_t attributes = 0;  // FILE_ATTRIBUTE_* of the file
        std::int64_t size = 0;         // its length (end of file)
        std::uint32_t links = 1;       // its names (hard links)
        std::uint64_t clusterSize = 0;
        Runs runs = Runs::Unreadable;
        std::vector<unsigned char> retrievalPointers;
        std::optional<bool> seekPenalty; // the device beneath: IOCTL_STORAGE_QUERY_PROPERTY, when answered
    };

    // The storage map of the answers. ownNames is the number of the file's names the run itself removes
    // (1 while its name stands), which do not count as further hard links.
    static StorageMap translate(const Answers& answers, std::uint32_t ownNames = 1);

    // The kind of file system a volume's file system name stands for.
    static FileSystemKind kindOf(const std::wstring& fileSystemName);
};
