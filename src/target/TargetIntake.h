// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <atomic>

class QDateTime;
class QFontMetrics;
class QLocale;
class FileSystem;
class QMimeData;

namespace TargetIntake {

// The start-up target from the program's arguments: joined with single blanks; a leading "1%" word
// dropped when an absolute path follows it (the context-menu entry puts it there); taken as it stands (made
// absolute) when that names something that exists; otherwise trimmed of blanks only; sent through GetLongPath
// when it holds a "~"; every double quote removed; a relative result made absolute against workingFolder.
// Empty when nothing is given.
QString commandLineTarget(const QStringList& arguments, const QString& workingFolder, FileSystem& fileSystem);

// The first local file of a drop, exactly as the drop delivers it, byte for byte (NativePath); a null QString
// when the drop carries no local file (text, a web address), so that the caller refuses it.
QString droppedTarget(const QMimeData* data);

// The other files in path's folder whose names path's name may stand for: where a file manager shows a
// byte that is no UTF-8 as U+FFFD and hands that on, "K\uFFFDse.txt" may mean "K\xE4se.txt". Each U+FFFD
// of the name stands for itself or for a run of such bytes. Empty when the name holds no U+FFFD.
// Stops early, with what was found so far, once *cancelled is set; safe to run off the window's thread.
QStringList lookAlikes(const QString& path, FileSystem& fileSystem,
                       const std::atomic<bool>* cancelled = nullptr);

// Said in place of the question while the target's name may stand for count files, none of them chosen
// yet; the choice is reached with Alt+W.
QString ambiguityText(qsizetype count);
// Said in place of the question while the folder is looked through for such names.
QString lookAlikeScanText();
// One look-alike as the choice lists it: its name with undecodable bytes escaped (NativePath), shortened
// in the middle to fit width pixels together with what tells it apart, its size and modification time.
QString candidateText(const QString& path, qint64 size, const QDateTime& modified, const QLocale& locale,
                      const QFontMetrics& metrics, int width);

} // namespace TargetIntake
