// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

class QFontMetrics;
class QLocale;

// The texts of the file information panel, worked out from the path and the file system's answers.
namespace PanelText {

// The window title at every refresh: "Tilgomatic 1.0".
QString windowTitle();

// Last component of path, from the text alone; empty for the empty path.
QString fileName(const QString& path);
// Folder that holds the last component, from the text alone; empty for the empty path.
QString parentFolder(const QString& path);

// The words for an attribute word from the sixteen-row table; nullopt when the value is not in it.
std::optional<QString> attributeText(int attributeWord);

// "Dateigrösse: " + bytes/1024 with two decimals in locale (half away from zero) + " KB".
QString sizeText(qint64 bytes, const QLocale& locale);
// The KB text while it fits roomPixels in metrics; otherwise the size in the first of MB, GB, TB and PB
// (1024-based, like the KB) that brings the number below 1024, with two decimals ("Dateigrösse: 1,00 TB").
QString sizeText(qint64 bytes, const QLocale& locale, const QFontMetrics& metrics, int roomPixels);

// Shown in place of the attribute words and the size when the target cannot be read.
QString unreadableAttributeText();
QString unknownSizeText();
// Shown in place of the red question when the target names no file that can be destroyed.
QString notDescribableText();
// The same for path: a path or a name too long for the kernel gets its own reason.
QString notDescribableText(const QString& path);
// The red question where the run cannot check other users' programs for the file.
QString uncheckedOpenersQuestion();
// In place of the red question when the target lies on a file system or a mount that takes no writes.
QString readOnlyText();
// In the attribute row and in place of the red question when the target is a folder.
QString folderAttributeText();
QString folderText();

} // namespace PanelText
