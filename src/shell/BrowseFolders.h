// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/gui/BrowseDialog.h"

#include <filesystem>
#include <optional>
#include <string>

namespace modBrowseFolders {

// Shows the browse dialog modally over owner and returns the confirmed item's path, or the empty path
// when the user cancelled. root, when given, is the top of the tree. title is UTF-8.
std::filesystem::path BrowseForFolder(BrowseDialog& dialog, const std::string& title,
                                      const std::filesystem::path& startPath, BrowseDialog::Owner owner,
                                      bool statusLine, const std::optional<std::filesystem::path>& root,
                                      bool newStyle, bool includeFiles);

// The item the file system knows by path: its absolute, clean path, or "" when path is empty or names
// nothing that exists.
std::filesystem::path itemPath(const std::filesystem::path& path);

// Where the main window's browse dialog opens: the folder of the loaded target while it exists, else the
// user's home folder. Never the program's folder, which once installed is a system folder.
std::filesystem::path startFolder(const std::filesystem::path& targetPath);

} // namespace modBrowseFolders
