// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

class BrowseDialog;
class QWidget;

namespace modBrowseFolders {

// Shows the browse dialog modally and returns the confirmed item's path, or the empty string when the
// user cancelled. root, when given, is the top of the tree.
QString BrowseForFolder(BrowseDialog& dialog, const QString& title, const QString& startPath, QWidget* owner,
                        bool statusLine, const std::optional<QString>& root, bool newStyle,
                        bool includeFiles);

// The item the file system knows by path: its absolute, clean path, or "" when path is empty or names
// nothing that exists.
QString itemPath(const QString& path);

// Where the main window's browse dialog opens: the folder of the loaded target while it exists, else the
// user's home folder. Never the program's folder, which once installed is a system folder.
QString startFolder(const QString& targetPath);

} // namespace modBrowseFolders
