// SPDX-License-Identifier: GPL-3.0-or-later
#include "target/LongPathName.h"

#include "platform/FileSystem.h"

namespace modLongPathName {

// The long form of path as the file system gives it, or "" when path names nothing that exists.
// Linux has no short names, so the long form is the path itself; it is returned whole whatever its
// length: cutting a path at a fixed buffer size would name a different file or none at all.
std::filesystem::path GetLongPath(FileSystem& fileSystem, const std::filesystem::path& path)
{
    if (path.empty())
        return {};
    return fileSystem.longPathName(path);
}

} // namespace modLongPathName
