// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace HelpFile {

// "TGHilfe/index.html" in programFolder: the help's pages as HTML, which the program shows itself.
std::filesystem::path htmlPath(const std::filesystem::path& programFolder);

// The page the help window starts with; empty when the help's pages are not installed.
std::filesystem::path startPage(const std::filesystem::path& programFolder);

// "TGHilfe.chm" in programFolder: the compiled help, which the shell opens in its viewer (Windows).
std::filesystem::path chmPath(const std::filesystem::path& programFolder);

} // namespace HelpFile
