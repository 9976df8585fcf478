// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/gui/BrowseDialog.h"

// The common open-file dialog (GetOpenFileNameW) in place of the shell's folder tree, which under Wine
// cannot confirm a file. It lists every file; only an existing file can be confirmed, and a shortcut is
// returned as itself, never as the file it points to (that one would be destroyed instead). Request:
// owner is a HWND, title UTF-8; a startPath naming a file opens its folder with the name filled in; a
// rootPath the dialog cannot hold the user to: a file outside it reopens the dialog there. No status line.
class OpenFileDialog : public BrowseDialog
{
public:
    std::filesystem::path exec(const Request& request) override;
};
