// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class FileSystem;

namespace modLongPathName {

// The long form of path, or the empty string when the platform cannot give one.
QString GetLongPath(FileSystem& fileSystem, const QString& path);

} // namespace modLongPathName
