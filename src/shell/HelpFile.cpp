// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/HelpFile.h"

#include <system_error>

namespace HelpFile {

std::filesystem::path htmlPath(const std::filesystem::path& programFolder)
{
    return programFolder / "TGHilfe" / "index.html";
}

std::filesystem::path startPage(const std::filesystem::path& programFolder)
{
    std::filesystem::path page = htmlPath(programFolder);
    std::error_code error;
    return std::filesystem::is_regular_file(page, error) ? page : std::filesystem::path();
}

std::filesystem::path chmPath(const std::filesystem::path& programFolder)
{
    return programFolder / "TGHilfe.chm";
}

} // namespace HelpFile
