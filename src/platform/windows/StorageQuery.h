// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/windows/ClusterMap.h"

#include <cstdint>
#include <string>

// Asks Windows where an open file's data lies and what its volume and the device beneath are. Reads no
// data of the file and changes nothing; any handle of the file serves, one for attributes only included.
class StorageQuery
{
public:
    // The answers about the file open as handle (a HANDLE), for ClusterMap to read.
    static ClusterMap::Answers answersFor(void* handle);

    // The root folder of the volume the open file lies on ("\\?\C:\", a mount folder, a share); empty
    // when it cannot be told.
    static std::wstring volumeRoot(void* handle);

    // The file's full path as the system names it now (\\?\ form); empty when it cannot be told.
    static std::wstring finalPath(void* handle);

    // Bytes this user may still fill on the volume of root, and its cluster size. False when unknown.
    static bool freeSpace(const std::wstring& root, std::int64_t& free, std::int64_t& clusterSize);
};
