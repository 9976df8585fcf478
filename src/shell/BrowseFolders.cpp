// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/BrowseFolders.h"

#include "platform/NativeText.h"

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
    return NativeText::path(
        NativeText::withoutTrailingSeparators(NativeText::bytes(absolute.lexically_normal())));
}

// The folder that holds path's last name (trailing separators ignored); empty for the root or a bare name.
fs::path parentFolder(const fs::path& path)
{
    return NativeText::path(NativeText::parentFolder(NativeText::bytes(path)));
}

// $HOME (%USERPROFILE% on Windows), or the root folder when it is unset or empty.
fs::path homeFolder()
{
    const char* home = std::getenv(NativeText::WindowsPaths ? "USERPROFILE" : "HOME");
    if (home == nullptr || *home == '\0') {
        std::error_code error;
        const fs::path root = fs::current_path(error).root_path();
        return root.empty() ? fs::path("/") : root;
    }
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
    static_cast<void>(newStyle); // the platforms' dialogs have one style only
    request.includeFiles = includeFiles;
    request.startPath = itemPath(startPath);
    return dialog.exec(request);
}

} // namespace modBrowseFolders
