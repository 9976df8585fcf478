// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/StorageMap.h"

#include <QString>

#include <string>
#include <vector>

// Looks at where an open file's data lies: statfs, the extent map (FS_IOC_FIEMAP), the inode flags and
// the mount table entry of its file system. Only reading calls; with flush the extent map first makes
// the file's pending writes go to the device, so that every extent has its place.
namespace StorageProbe {

// ownName: 1 while the name being destroyed still exists, 0 once it has been removed; it is not counted
// among the other names.
StorageMap probe(int fd, bool flush, int ownName);

// True when one of disks (kernel names of whole disks, as StorageMap::disks) is not rotational: an SSD, a
// USB stick, a memory card. zram (compressed memory) and RAM disks do not rotate either, but they are memory,
// not flash. sysBlock is the kernel's folder of block devices.
bool onFlash(const std::vector<std::string>& disks, const QString& sysBlock = QStringLiteral("/sys/block"));

} // namespace StorageProbe
