#pragma once

#include <QString>
#include <optional>

class BrowseDialog;
class QWidget;

namespace modBrowseFolders {

// Shows the browse dialog modally and returns the confirmed item's path, or the empty string when the
// user cancelled. root, when given, is the top of the tree.
QString BrowseForFolder(BrowseDialog& dialog, const QString& title, const QString& startPath, QWidget* owner,
                        bool statusLine, const std::optional<QString>& root, bool newStyle, bool includeFiles);

} // namespace modBrowseFolders
