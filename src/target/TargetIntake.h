#pragma once

#include <QString>
#include <QStringList>

class FileSystem;
class QMimeData;

namespace TargetIntake {

// The start-up target from the program's arguments: joined with single blanks; a leading "1%" word
// dropped (the context-menu entry puts it there); taken as it stands (made absolute) when that names
// something that exists; otherwise trimmed of blanks only; sent through GetLongPath when
// it holds a "~"; every double quote removed; a relative result made absolute against workingFolder.
// Empty when nothing is given.
QString commandLineTarget(const QStringList& arguments, const QString& workingFolder, FileSystem& fileSystem);

// The first local file of a drop, exactly as the drop delivers it, byte for byte (NativePath); a null QString
// when the drop carries no local file (text, a web address), so that the caller refuses it.
QString droppedTarget(const QMimeData* data);

} // namespace TargetIntake
