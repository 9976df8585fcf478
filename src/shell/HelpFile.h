// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace HelpFile {

// "TGHilfe/index.html" in programFolder: the help's pages as HTML, which the program shows itself.
QString htmlPath(const QString& programFolder);

// The page the help window starts with; empty when the help's pages are not installed.
QString startPage(const QString& programFolder);

} // namespace HelpFile
