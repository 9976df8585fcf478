// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/BrowseFolders.h"

#include <cstdlib>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

const std::string_view StatusMarker = "$";

// path made absolute and clean: no ".", "..", doubled or trailing separators.
fs::path cleanAbsolute(const fs::path& path)
{
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error)
        return {};
    std::string clean = absolute.lexically_normal().native();
    while (clean.size() > 1 && clean.back() == '/')
        clean.pop_back();
    return fs::path(clean);
}

// The folder that holds path's last name (trailing separators ignored); empty for the root or a bare name.
fs::path parentFolder(const fs::path& path)
{
    std::string trimmed = path.native();
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const std::size_t separator = trimmed.rfind('/');
    if (separator == std::string::npos || trimmed == "/")
        return {};
    std::string folder = trimmed.substr(0, separator + 1);
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return fs::path(folder);
}

// $HOME, or the root folder when it is unset or empty.
fs::path homeFolder()
{
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0')
        return fs::path("/");
    return cleanAbsolute(fs::path(home));
}

} // namespace

namespace modBrowseFolders {

fs::path itemPath(const fs::path& path)
{
    if (path.empty())
        return {};
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (error || !fs::exists(status))
        return {};
    return cleanAbsolute(path);
}

fs::path startFolder(const fs::path& targetPath)
{
    const fs::path folder = parentFolder(targetPath);
    std::error_code error;
    if (!folder.empty() && fs::is_directory(folder, error))
        return cleanAbsolute(folder);
    return homeFolder();
}

// Builds the request from the arguments and shows the dialog. The root and the start path pass only
// when they name an existing item (otherwise the whole file system is offered and the dialog opens
// where it likes).
fs::path BrowseForFolder(BrowseDialog& dialog, const std::string& title, const fs::path& startPath,
                         BrowseDialog::Owner owner, bool statusLine, const std::optional<fs::path>& root,
                         bool newStyle, bool includeFiles)
{
    BrowseDialog::Request request;
    request.owner = owner;
    if (root)
        request.rootPath = itemPath(*root);
    // "$" would be taken for the status line's marker; the title then shows empty.
    request.title = statusLine && title == StatusMarker ? std::string() : title;
    request.statusLine = statusLine;
    request.newStyle = newStyle;
    request.includeFiles = includeFiles;
    request.startPath = itemPath(startPath);
    return dialog.exec(request);
}

} // namespace modBrowseFolders
