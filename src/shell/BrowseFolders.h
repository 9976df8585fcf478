#pragma once

#include <QString>
#include <optional>

class BrowseDialog;
class QFontMetrics;
class QWidget;

namespace modBrowseFolders {

// The bits of the request's flag word.
inline constexpr unsigned BIF_RETURNONLYFSDIRS = 0x1;
inline constexpr unsigned BIF_STATUSTEXT = 0x4;
inline constexpr unsigned BIF_NEWDIALOGSTYLE = 0x40;
inline constexpr unsigned BIF_BROWSEINCLUDEFILES = 0x4000;

// Shows the browse dialog modally and returns the confirmed item's path, or the empty string when the
// user cancelled. root, when given, is the top of the tree.
QString BrowseForFolder(BrowseDialog& dialog, const QString& title, const QString& startPath, QWidget* owner,
                        bool statusLine, const std::optional<QString>& root, bool newStyle,
                        bool includeFiles);

// The status line's text for selectedPath: "Auswahl: " followed by the path shortened, in metrics, to
// the line's width less prefixWidth plus 80 pixels. "" for a selection without a path.
QString statusText(const QFontMetrics& metrics, const QString& selectedPath, int statusLineWidth,
                   int prefixWidth);
// The same, with the width of "Auswahl: " measured in metrics.
QString statusText(const QFontMetrics& metrics, const QString& selectedPath, int statusLineWidth);

// The item the file system knows by path: its absolute, clean path, or "" when path is empty or names
// nothing that exists.
QString itemPath(const QString& path);

// Where the main window's browse dialog opens: the folder of the loaded target while it exists, else the
// user's home folder. Never the program's folder, which once installed is a system folder.
QString startFolder(const QString& targetPath);

} // namespace modBrowseFolders
