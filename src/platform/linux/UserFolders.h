// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The user's base folders. A relative $XDG_DATA_HOME or $XDG_CONFIG_HOME is ignored, as the base directory
// rules say; QStandardPaths of Qt 6.4 would take it as it is, and files would land below whatever folder
// the program runs in.
namespace UserFolders {

// $HOME when it holds an absolute path, otherwise the home folder of the user database for our user.
QString home();

// $XDG_DATA_HOME when it holds an absolute path, otherwise ~/.local/share.
QString dataHome();
// $XDG_CONFIG_HOME when it holds an absolute path, otherwise ~/.config.
QString configHome();

} // namespace UserFolders
