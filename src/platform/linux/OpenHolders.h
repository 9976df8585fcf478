// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <optional>
#include <string>

#include <sys/types.h>

// Other holders of an open file, for where a write lease cannot be had: then nothing in the kernel
// tells us whether another program has the file open, so we look for it ourselves.
namespace OpenHolders {

// A program seen holding a file open.
struct Holder
{
    std::string name;        // its comm, else its executable's file name, in UTF-8; "" where neither is read
    bool tilgomatic = false; // another process of this very program (the same executable file)
};

// The program holding the file dev/inode open: set when a descriptor of it, other than ownDescriptor and
// this process's own descriptors that read and write nothing (O_PATH), shows in /proc/<pid>/fd of a
// process that we may inspect. Processes of other users stay unseen.
std::optional<Holder> seenElsewhere(dev_t device, ino_t inode, int ownDescriptor);

// True when a run on the file at nativePath would have no lease to keep other openers out, so that
// programs of other users could hold it unseen: we are not its owner and lack the right to take a lease
// on another's file, or it lies on a network file system, whose other machines no lease can see.
// Looks at the name only (stat and statfs); false when that fails.
bool leaseOutOfReach(const QByteArray& nativePath);

} // namespace OpenHolders
