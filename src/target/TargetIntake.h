// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class FileSystem;
class QMimeData;

namespace TargetIntake {

// The start-up target from the program's arguments: joined with single blanks; a leading "1%" word
// dropped when an absolute path follows it (the context-menu entry puts it there); taken as it stands (made absolute) when that names
// something that exists; otherwise trimmed of blanks only; sent through GetLongPath when
// it holds a "~"; every double quote removed; a relative result made absolute against workingFolder.
// Empty when nothing is given.
QString commandLineTarget(const QStringList& arguments, const QString& workingFolder, FileSystem& fileSystem);

// The first local file of a drop, exactly as the drop delivers it, byte for byte (NativePath); a null QString
// when the drop carries no local file (text, a web address), so that the caller refuses it.
QString droppedTarget(const QMimeData* data);

// The other files in path's folder whose names path's name may stand for: where a file manager shows a
// byte that is no UTF-8 as U+FFFD and hands that on, "K\uFFFDse.txt" may mean "K\xE4se.txt". Each U+FFFD
// of the name stands for itself or for a run of such bytes. Empty when the name holds no U+FFFD.
QStringList lookAlikes(const QString& path, FileSystem& fileSystem);

// Said in place of the question while the target's name may stand for lookAlike, a neighbour's name.
QString ambiguityText(const QString& lookAlike);

} // namespace TargetIntake
