#include "shell/HelpFile.h"

#include "platform/gui/Desktop.h"

#include <QFileInfo>

namespace HelpFile {

QString chmPath(const QString& programFolder)
{
    return programFolder + QStringLiteral("/TGHilfe.chm");
}

QString htmlPath(const QString& programFolder)
{
    return programFolder + QStringLiteral("/TGHilfe/index.html");
}

// The compiled help first; most Linux desktops have no viewer for it, so then the HTML copy, which
// the browser always takes. Without the compiled file nothing is opened, even if the HTML is there:
// the help counts as installed only with it. Returns whether the desktop opened either.
bool open(Desktop& desktop, const QString& programFolder)
{
    const QString chm = chmPath(programFolder);
    if (!QFileInfo(chm).isFile())
        return false;
    if (desktop.openDocument(chm))
        return true;
    return desktop.openDocument(htmlPath(programFolder));
}

} // namespace HelpFile
