// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

namespace AtomicFile {

// Replaces the file at path with data in one step (QSaveFile), creating its folder first; mode, when
// given, becomes the file's permissions. Readers see the old file or the new one, never half of it.
// False, with a warning, when it could not be written.
bool write(const QString& path, const QByteArray& data, std::optional<QFile::Permissions> mode = {});

} // namespace AtomicFile
