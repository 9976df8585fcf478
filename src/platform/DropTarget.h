// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QMimeData;

// What Qt's drag and drop delivers, turned into the program's form of a path.
namespace DropTarget {

// The first local file of a drop, exactly as the drop delivers it, byte for byte (NativePath); a null QString
// when the drop carries no local file (text, a web address), so that the caller refuses it.
QString droppedTarget(const QMimeData* data);

} // namespace DropTarget
