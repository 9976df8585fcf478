// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProgramInfo.h"

#include <QFileInfo>

ProgramInfo ProgramInfo::of(const QString& executablePath, const QStringList& arguments,
                            const QString& workingFolder)
{
    ProgramInfo info;
    info.executablePath = executablePath;
    // Name and folder from the exact path: Qt's own answer is empty for a folder whose name is no UTF-8,
    // and the settings would then have no name to be stored under.
    const QFileInfo executable(info.executablePath);
    info.executableName = executable.completeBaseName();
    info.programFolder = executable.absolutePath();
    info.arguments = arguments;
    info.workingFolder = workingFolder;
    return info;
}
