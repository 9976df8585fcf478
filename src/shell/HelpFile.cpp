// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/HelpFile.h"

#include <QFileInfo>

namespace HelpFile {

QString htmlPath(const QString& programFolder)
{
    return programFolder + QStringLiteral("/TGHilfe/index.html");
}

QString startPage(const QString& programFolder)
{
    const QString page = htmlPath(programFolder);
    return QFileInfo(page).isFile() ? page : QString();
}

} // namespace HelpFile
