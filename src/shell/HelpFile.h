#pragma once

#include <QString>

class Desktop;

namespace HelpFile {

// "TGHilfe.chm" in programFolder.
QString chmPath(const QString& programFolder);

// "TGHilfe/index.html" in programFolder: the same help as plain HTML, installed beside the compiled one.
QString htmlPath(const QString& programFolder);

// Opens the help: the compiled help file with the desktop's program for it, or, where no program is
// registered for that type, the same help as HTML in the browser. A missing help file shows nothing.
// True when something was opened.
bool open(Desktop& desktop, const QString& programFolder);

} // namespace HelpFile
