// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

class FileSystem;

namespace modLongPathName {

// The long form of path, or the empty path when the platform cannot give one.
std::filesystem::path GetLongPath(FileSystem& fileSystem, const std::filesystem::path& path);

} // namespace modLongPathName
