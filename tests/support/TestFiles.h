// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// Helpers for tests on real files, looking at names themselves (lstat): a link is never followed.

// Writes bytes to a new or emptied file at path and gives it mode; fails the test when that goes wrong.
void writeFile(const QString& path, const QByteArray& bytes, mode_t mode = 0644);
// The whole content of path, or "<unreadable>" when it cannot be opened.
QByteArray readFile(const QString& path);
// The permission bits of the name path (lstat); 0 when nothing is there.
mode_t modeOf(const QString& path);
// Whether something, a dangling link included, has the name path.
bool nameExists(const QString& path);
// Sets (with on false clears) an inode flag such as FS_IMMUTABLE_FL on path; false where that is not allowed.
bool markFile(const QString& path, int flag, bool on = true);
