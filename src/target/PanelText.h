// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/NumberFormat.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

class TextWidth;

// The texts of the file information panel, worked out from the path and the file system's answers. Texts
// are UTF-8; a path text is worked on as bytes, so it may hold a name that is no UTF-8.
namespace PanelText {

// The window title at every refresh: "Tilgomatic 1.0".
std::string windowTitle();

// Last component of path, from the text alone; empty for the empty path.
std::string fileName(const std::string& path);
// Folder that holds the last component, from the text alone; empty for the empty path.
std::string parentFolder(const std::string& path);

// The words for an attribute word from the sixteen-row table; nullopt when the value is not in it.
std::optional<std::string> attributeText(int attributeWord);

// "Dateigrösse: " + bytes/1024 with two decimals in format (half away from zero) + " KB".
std::string sizeText(std::int64_t bytes, const NumberFormat& format);
// The KB text while it fits roomPixels in font; otherwise the size in the first of MB, GB, TB and PB
// (1024-based, like the KB) that brings the number below 1024, with two decimals ("Dateigrösse: 1,00 TB").
std::string sizeText(std::int64_t bytes, const NumberFormat& format, const TextWidth& font, int roomPixels);

// Shown in place of the attribute words and the size when the target cannot be read.
std::string unreadableAttributeText();
std::string unknownSizeText();
// Shown in place of the red question when the target names no file that can be destroyed.
std::string notDescribableText();
// The same for path: a path or a name too long for the kernel gets its own reason.
std::string notDescribableText(const std::filesystem::path& path);
// The red question where the run cannot check other users' programs for the file.
std::string uncheckedOpenersQuestion();
// In place of the red question when the target lies on a file system or a mount that takes no writes.
std::string readOnlyText();
// In the attribute row and in place of the red question when the target is a folder.
std::string folderAttributeText();
std::string folderText();

} // namespace PanelText
