// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <sys/types.h>

// Other holders of an open file, for where a write lease cannot be had: then nothing in the kernel
// tells us whether another program has the file open, so we look for it ourselves.
namespace OpenHolders {

// True when a descriptor of the file dev/inode, other than ownDescriptor of this process, shows in
// /proc/<pid>/fd of a process that we may inspect. Processes of other users stay unseen.
bool seenElsewhere(dev_t device, ino_t inode, int ownDescriptor);

// True when a run on the file at nativePath would have no lease to keep other openers out, so that
// programs of other users could hold it unseen: we are not its owner and lack the right to take a lease
// on another's file, or it lies on a network file system, whose other machines no lease can see.
// Looks at the name only (stat and statfs); false when that fails.
bool leaseOutOfReach(const QByteArray& nativePath);

} // namespace OpenHolders
